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

namespace {

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

class Fail {
public:
    explicit Fail(std::string text) : m_text(std::move(text)) {}
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

class Channel {
public:
    ~Channel() {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }

    void Request(uint32_t nCode, const void* pIn, DWORD nIn, void* pOut, DWORD nOut,
                 DWORD* pnReturned = nullptr) {
        Open();
        DWORD nReturned = 0;
        if (!DeviceIoControl(m_h, nCode, const_cast<void*>(pIn), nIn, pOut, nOut, &nReturned,
                             NULL)) {
            throw Fail("the simulated driver refused request 0x" + Hex32(nCode) + " (error " +
                       std::to_string(GetLastError()) + ")");
        }
        if (pnReturned)
            *pnReturned = nReturned;
    }

private:
    static std::string Hex32(uint32_t n) {
        char sz[12];
        std::snprintf(sz, sizeof sz, "%08X", static_cast<unsigned>(n));
        return sz;
    }

    void Open() {
        if (m_h != INVALID_HANDLE_VALUE)
            return;
        m_h = CreateFileW(L"\\\\.\\TkSimCtl", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                          0, NULL);
        if (m_h == INVALID_HANDLE_VALUE) {
            throw Fail(
                "the simulated driver is not running (\\\\.\\TkSimCtl does not open, error " +
                std::to_string(GetLastError()) + ")");
        }
    }

    HANDLE m_h = INVALID_HANDLE_VALUE;
};

int ParseSlot(const std::string& s) {
    if (s.size() == 1 && s[0] >= '0' && s[0] < '0' + sim::kSlots)
        return s[0] - '0';
    throw Fail("'" + s + "' is not a slot (0 to 3)");
}

scenario::Units ReadScenario(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Fail(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    scenario::Units units;
    std::string error;
    if (!scenario::Parse(text.str(), units, error))
        throw Fail(path + ": " + error);
    return units;
}

scenario::Units GetUnits(Channel& channel) {
    scenario::Units units;
    DWORD nReturned = 0;
    channel.Request(simctl::IOCTL_SIM_GET_UNITS, nullptr, 0, units.aUnit, sizeof units.aUnit,
                    &nReturned);
    if (nReturned != sizeof units.aUnit)
        throw Fail("short answer to the units request");
    return units;
}

// Writes the bytes in which the two states differ, as one block: a change of a few fields never
// overwrites what the panel's requests change meanwhile elsewhere in the unit.
void WriteChanges(Channel& channel, int nSlot, const sim::Unit& before, const sim::Unit& after) {
    const uint8_t* pOld = reinterpret_cast<const uint8_t*>(&before);
    const uint8_t* pNew = reinterpret_cast<const uint8_t*>(&after);
    size_t nFirst = 0, nEnd = sizeof(sim::Unit);
    while (nFirst < nEnd && pOld[nFirst] == pNew[nFirst])
        ++nFirst;
    while (nEnd > nFirst && pOld[nEnd - 1] == pNew[nEnd - 1])
        --nEnd;
    if (nFirst == nEnd)
        return;
    static simctl::FieldWrite write;
    write.nSlot = nSlot;
    write.nOffset = static_cast<uint32_t>(nFirst);
    write.nSize = static_cast<uint32_t>(nEnd - nFirst);
    std::memcpy(write.abData, pNew + nFirst, write.nSize);
    channel.Request(simctl::IOCTL_SIM_SET_FIELD, &write, simctl::kFieldHeaderBytes + write.nSize,
                    nullptr, 0);
}

void SetLines(Channel& channel, int nSlot, const std::vector<std::string>& lines) {
    scenario::Units units = GetUnits(channel);
    sim::Unit changed = units.aUnit[nSlot];
    for (const std::string& line : lines) {
        std::string error;
        if (!scenario::ApplyLine(line, changed, error))
            throw Fail(error);
    }
    WriteChanges(channel, nSlot, units.aUnit[nSlot], changed);
}

void PrintLog(Channel& channel) {
    static uint8_t abBuffer[sizeof(simctl::LogHeader) + sim::kLogEntries * sizeof(sim::LogEntry)];
    DWORD nReturned = 0;
    channel.Request(simctl::IOCTL_SIM_GET_LOG, nullptr, 0, abBuffer, sizeof abBuffer, &nReturned);
    if (nReturned < sizeof(simctl::LogHeader))
        throw Fail("short answer to the log request");
    simctl::LogHeader header;
    std::memcpy(&header, abBuffer, sizeof header);
    size_t nEntries = (nReturned - sizeof header) / sizeof(sim::LogEntry);
    std::string out;
    for (size_t i = 0; i < nEntries; ++i) {
        sim::LogEntry entry;
        std::memcpy(&entry, abBuffer + sizeof header + i * sizeof entry, sizeof entry);
        out += scenario::FormatLogEntry(entry);
        out += '\n';
    }
    if (header.nDropped > 0)
        out += "dropped " + std::to_string(header.nDropped) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

void NeedArgs(const std::vector<std::string>& args, size_t nMin, size_t nMax) {
    if (args.size() - 1 < nMin || args.size() - 1 > nMax) {
        throw Fail("wrong number of arguments to " + args[0] + "\n" + kUsage);
    }
}

void Run(Channel& channel, const std::vector<std::string>& args) {
    const std::string& command = args[0];
    if (command == "load") {
        NeedArgs(args, 1, 1);
        scenario::Units units = ReadScenario(args[1]);
        channel.Request(simctl::IOCTL_SIM_SET_UNITS, units.aUnit, sizeof units.aUnit, nullptr, 0);
    } else if (command == "check") {
        NeedArgs(args, 1, 1);
        ReadScenario(args[1]);
        std::fputs("ok\n", stdout);
    } else if (command == "show") {
        NeedArgs(args, 0, 0);
        std::string text = scenario::Format(GetUnits(channel));
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else if (command == "reset") {
        NeedArgs(args, 0, 0);
        channel.Request(simctl::IOCTL_SIM_RESET, nullptr, 0, nullptr, 0);
    } else if (command == "plug" || command == "unplug") {
        NeedArgs(args, 1, 1);
        SetLines(channel, ParseSlot(args[1]),
                 {command == "plug" ? "present = yes" : "present = no"});
    } else if (command == "set") {
        NeedArgs(args, 2, 64);
        SetLines(channel, ParseSlot(args[1]),
                 std::vector<std::string>(args.begin() + 2, args.end()));
    } else if (command == "fail") {
        NeedArgs(args, 3, 3);
        SetLines(channel, ParseSlot(args[1]), {"fail = " + args[2] + " " + args[3]});
    } else if (command == "log") {
        NeedArgs(args, 0, 0);
        PrintLog(channel);
    } else if (command == "clear-log") {
        NeedArgs(args, 0, 0);
        channel.Request(simctl::IOCTL_SIM_CLEAR_LOG, nullptr, 0, nullptr, 0);
    } else {
        throw Fail("unknown command '" + command + "'\n" + kUsage);
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
    } catch (const Fail& fail) {
        std::fflush(stdout);
        std::fprintf(stderr, "simctl: %s\n", fail.Text().c_str());
        return 1;
    }
    std::fflush(stdout);
    return 0;
}
