// simctl: drives the simulated kernel-mode driver through its private control device.
// Several commands can run in one start, separated by "+", e.g.
//   simctl load demo.scn + clear-log
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/kernel/SimControl.h"
#include "sim/simctl/Scenario.h"
#include "sim/simctl/SimChannel.h"

namespace {

using simctl::Channel;
using simctl::SimFail;

const char kUsage[] =
    "usage: simctl COMMAND [ARGS] [+ COMMAND [ARGS]]...\n"
    "  load FILE               load the four units of a scenario file in one go\n"
    "  check FILE              parse a scenario file and change nothing\n"
    "  show                    print the four units as a scenario\n"
    "  reset                   every unit as from the factory and absent; log cleared\n"
    "  plug SLOT | unplug SLOT a unit arrives or goes while programs run\n"
    "  set SLOT KEY=VALUE...   change fields of one unit (scenario keys)\n"
    "  fail SLOT CODE N|always the next N requests of CODE fail\n"
    "  log                     print the request log, one request a line\n"
    "  clear-log               empty the request log\n";

int ParseSlot(const std::string& s) {
    if (s.size() == 1 && s[0] >= '0' && s[0] < '0' + sim::kSlots)
        return s[0] - '0';
    throw SimFail("'" + s + "' is not a slot (0 to 3)");
}

scenario::Units ReadScenario(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw SimFail(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    scenario::Units units;
    std::string error;
    if (!scenario::Parse(text.str(), units, error))
        throw SimFail(path + ": " + error);
    return units;
}

void PrintLog(Channel& channel) {
    simctl::Log log = simctl::ReadLog(channel, false);
    std::string out;
    for (const sim::LogEntry& entry : log.entries) {
        out += scenario::FormatLogEntry(entry);
        out += '\n';
    }
    if (log.nDropped > 0)
        out += "dropped " + std::to_string(log.nDropped) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void NeedArgs(const std::vector<std::string>& args, size_t nMin, size_t nMax) {
    if (args.size() - 1 < nMin || args.size() - 1 > nMax) {
        throw SimFail("wrong number of arguments to " + args[0] + "\n" + kUsage);
    }
}

void Run(Channel& channel, const std::vector<std::string>& args) {
    const std::string& command = args[0];
    if (command == "load") {
        NeedArgs(args, 1, 1);
        scenario::Units units = ReadScenario(args[1]);
        simctl::SetUnits(channel, units);
    } else if (command == "check") {
        NeedArgs(args, 1, 1);
        ReadScenario(args[1]);
        std::fputs("ok\n", stdout);
    } else if (command == "show") {
        NeedArgs(args, 0, 0);
        std::string text = scenario::Format(simctl::GetUnits(channel));
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else if (command == "reset") {
        NeedArgs(args, 0, 0);
        channel.Request(simctl::IOCTL_SIM_RESET, nullptr, 0, nullptr, 0);
    } else if (command == "plug" || command == "unplug") {
        NeedArgs(args, 1, 1);
        simctl::SetLines(channel, ParseSlot(args[1]),
                         {command == "plug" ? "present = yes" : "present = no"});
    } else if (command == "set") {
        NeedArgs(args, 2, 64);
        simctl::SetLines(channel, ParseSlot(args[1]),
                         std::vector<std::string>(args.begin() + 2, args.end()));
    } else if (command == "fail") {
        NeedArgs(args, 3, 3);
        simctl::SetLines(channel, ParseSlot(args[1]), {"fail = " + args[2] + " " + args[3]});
    } else if (command == "log") {
        NeedArgs(args, 0, 0);
        PrintLog(channel);
    } else if (command == "clear-log") {
        NeedArgs(args, 0, 0);
        channel.Request(simctl::IOCTL_SIM_CLEAR_LOG, nullptr, 0, nullptr, 0);
    } else {
        throw SimFail("unknown command '" + command + "'\n" + kUsage);
    }
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    // Commands run in order and the first failure stops the rest; a scenario that does not parse
    // is never sent.
    std::vector<std::vector<std::string>> commands(1);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "+") == 0) {
            commands.emplace_back();
        } else {
            commands.back().push_back(argv[i]);
        }
    }
    for (const std::vector<std::string>& command : commands) {
        if (command.empty()) {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    Channel channel;
    try {
        for (const std::vector<std::string>& command : commands)
            Run(channel, command);
    } catch (const SimFail& fail) {
        std::fflush(stdout);
        std::fprintf(stderr, "simctl: %s\n", fail.Text().c_str());
        return 1;
    }
    std::fflush(stdout);
    return 0;
}
