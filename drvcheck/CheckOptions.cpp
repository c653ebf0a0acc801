#include "drvcheck/CheckOptions.h"

#include <cstdlib>

#include "drvcheck/RuleList.h"

const char DRVCHECK_USAGE[] =
    "usage: drvcheck [--unit N] [--repeat N] [--robustness] [--write] [--rates]\n"
    "                [--only RULE[,RULE...]] [--json FILE] | --list | --help\n"
    "Checks that the driver of the KESTAL-3 5 9 keeps what the settings panel relies on.\n"
    "  --unit N       check unit N (1 to 4) only; default: every unit that opens\n"
    "  --repeat N     round trips per request for the latency figures (1 to 10000, default 50)\n"
    "  --robustness   also send a wrong buffer size and an unknown code, which the panel never\n"
    "                 sends: a driver that crashes on them takes the system down, so run this\n"
    "                 on a test machine only\n"
    "  --write        write the settings record the unit holds back to it, and compare\n"
    "  --rates        set each offered sampling rate in turn, then the original one again\n"
    "  --only RULES   report only these rules (comma-separated ids, see --list), to run one\n"
    "                 failure again; a rule of --write, --rates or --robustness turns that on\n"
    "  --json FILE    the report as JSON as well\n"
    "  --list         list the rules and end\n"
    "Without options only the read requests the panel sends while it is open are sent, and\n"
    "nothing is changed. --write and --rates put back what they changed, also when interrupted\n"
    "or when the console is closed, and refuse while the unit is in use, a stream runs, its\n"
    "state cannot be read, the panel runs or another drvcheck runs. Run it as the user who runs\n"
    "the panel, not elevated.\n"
    "Exit status: 0 every must rule passed; 1 a must rule failed, or something drvcheck changed\n"
    "could not be put back (a \"left changed\" line says what); 2 a usage error, no unit opens,\n"
    "the run was interrupted, or the JSON file cannot be written.\n";

namespace {

bool ParseNumber(const std::string& s, long nMin, long nMax, int& n) {
    if (s.empty() || s.size() > 6)
        return false;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    long v = std::strtol(s.c_str(), nullptr, 10);
    if (v < nMin || v > nMax)
        return false;
    n = static_cast<int>(v);
    return true;
}

bool ParseRuleIds(const std::string& list, CheckOptions& options, std::string& error) {
    size_t nStart = 0;
    while (nStart <= list.size()) {
        size_t nEnd = list.find(',', nStart);
        if (nEnd == std::string::npos)
            nEnd = list.size();
        std::string id = list.substr(nStart, nEnd - nStart);
        const RuleInfo* pRule = FindRule(id);
        if (!pRule) {
            error = "--only takes rule ids from --list; '" + id + "' is not one";
            return false;
        }
        options.only.insert(id);
        const std::string option = pRule->szOption;
        options.bWrite |= option == "--write";
        options.bRates |= option == "--rates";
        options.bRobustness |= option == "--robustness";
        nStart = nEnd + 1;
    }
    return true;
}

}  // namespace

bool Wanted(const CheckOptions& options, const char* szId) {
    return options.only.empty() || options.only.count(szId) != 0;
}

bool ParseCheckOptions(const std::vector<std::string>& args, CheckOptions& options,
                       std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool bHasValue = i + 1 < args.size();
        if (arg == "--write") {
            options.bWrite = true;
        } else if (arg == "--rates") {
            options.bRates = true;
        } else if (arg == "--robustness") {
            options.bRobustness = true;
        } else if (arg == "--help" || arg == "-h") {
            options.bHelp = true;
        } else if (arg == "--unit") {
            if (!bHasValue || !ParseNumber(args[++i], 1, 4, options.nUnit)) {
                error = "--unit takes a unit number from 1 to 4";
                return false;
            }
        } else if (arg == "--repeat") {
            if (!bHasValue || !ParseNumber(args[++i], 1, 10000, options.nRepeat)) {
                error = "--repeat takes a count from 1 to 10000";
                return false;
            }
        } else if (arg == "--list") {
            options.bList = true;
        } else if (arg == "--only") {
            if (!bHasValue) {
                error = "--only takes rule ids from --list";
                return false;
            }
            if (!ParseRuleIds(args[++i], options, error))
                return false;
        } else if (arg == "--json") {
            // A name that starts with "-" is an option the user forgot a file name before.
            if (!bHasValue || args[i + 1].empty() || args[i + 1][0] == '-') {
                error = "--json takes a file name";
                return false;
            }
            options.jsonPath = args[++i];
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    return true;
}
