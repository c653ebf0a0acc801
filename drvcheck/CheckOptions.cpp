#include "drvcheck/CheckOptions.h"

#include <cstdlib>

const char DRVCHECK_USAGE[] =
    "usage: drvcheck [--unit N] [--repeat N] [--robustness] [--write] [--rates] [--json FILE]\n"
    "Checks that the driver of the KESTAL-3 5 9 keeps what the settings panel relies on.\n"
    "  --unit N       check unit N (1 to 4) only; default: every unit that opens\n"
    "  --repeat N     round trips per request for the latency figures (1 to 10000, default 50)\n"
    "  --robustness   also send a wrong buffer size and an unknown code, which the panel never\n"
    "                 sends: a driver that crashes on them takes the system down, so run this\n"
    "                 on a test machine only\n"
    "  --write        write the settings record the unit holds back to it, and compare\n"
    "  --rates        set each offered sampling rate in turn, then the original one again\n"
    "  --json FILE    the report as JSON as well\n"
    "Without options only the read requests the panel sends while it is open are sent, and\n"
    "nothing is changed. --write and --rates leave the unit as they found it, also when\n"
    "interrupted, and refuse while the unit is in use or a stream runs.\n"
    "Exit status: 0 every must rule passed, 1 one failed, 2 usage error or no unit opens.\n";

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

}  // namespace

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
        } else if (arg == "--json") {
            if (!bHasValue || args[i + 1].empty()) {
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
