// drvcheck.exe against the kernel-mode simulated driver: a sound driver passes every must rule,
// each fault breaks exactly its own rule, and --write and --rates leave the unit as they found
// it, as the driver's state and request log show.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <fstream>
#include <cstdio>
#include <set>
#include <sstream>
#include <thread>

#include "driver/DrvControlCodes.h"
#include "res/resource.h"
#include "tests/e2e/ReportRules.h"
#include "tests/e2e/PanelSession.h"

namespace {

std::string Flat(const std::string& report);

e2e::RunResult DrvCheck(const std::vector<std::string>& args) {
    e2e::RunResult r = e2e::Wine(e2e::CrossDir() + "/drvcheck/drvcheck.exe", args, 60);
    r.out = Flat(r.out);
    return r;
}

// The report with each wrapped detail joined back onto its line, so a phrase is found wherever
// the line was wrapped.
std::string Flat(const std::string& report) {
    std::string flat;
    std::istringstream in(report);
    std::string line;
    while (std::getline(in, line)) {
        size_t nText = line.find_first_not_of(' ');
        if (nText >= 20 && nText != std::string::npos && !flat.empty()) {
            flat.back() = ' ';
            flat += line.substr(nText) + "\n";
        } else {
            flat += line + "\n";
        }
    }
    return flat;
}

std::vector<e2e::LogLine> Requests(uint32_t nCode) {
    std::vector<e2e::LogLine> found;
    for (const e2e::LogLine& line : e2e::ReadLog()) {
        if (line.kind == "control" && line.nCode == nCode)
            found.push_back(line);
    }
    return found;
}

// The 336 settings bytes of a logged exchange, as hex.
std::string SettingsHex(const std::string& hex) {
    return hex.substr(0, 2 * 336);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// drvcheck started straight through Wine's loader, whose process Ctrl-C reaches as SIGINT;
// scripts/wine-exec.sh would keep the signal and the exit status to itself.
pid_t StartDrvCheck(const std::vector<std::string>& args, const std::string& outPath) {
    std::vector<std::string> argv = {
        "bash", "-c",
        "source scripts/wine-env.sh && WINEDEBUG=-all exec \"$kp_wine\" \"$@\" >\"$0\" 2>&1",
        outPath, e2e::CrossDir() + "/drvcheck/drvcheck.exe"};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> raw;
        for (std::string& arg : argv)
            raw.push_back(&arg[0]);
        raw.push_back(nullptr);
        if (chdir(e2e::SourceDir().c_str()) == 0)
            execvp("bash", raw.data());
        _exit(127);
    }
    return pid;
}

// The exit status, or -1 when it had to be killed after nTimeoutSec.
int WaitFor(pid_t pid, int nTimeoutSec) {
    int nStatus = 0;
    for (int i = 0; i < nTimeoutSec * 10; ++i) {
        if (waitpid(pid, &nStatus, WNOHANG) == pid)
            return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &nStatus, 0);
    return -1;
}

const char kFourUnits[] =
    "[slot 0]\nstream-active = 1\nstream-rate = 48000\n[slot 1]\n[slot 2]\n[slot 3]\n";

}  // namespace

TEST(DrvCheck, SoundDriverPassesEveryMustRuleAndIsLeftAsItWas) {
    e2e::LoadScenarioText(kFourUnits);
    std::string before = e2e::Simctl({"show"});
    const std::string json = e2e::ResultsDir() + "/drvcheck.json";
    e2e::RunResult r = DrvCheck({"--json", e2e::WinPath(json)});
    EXPECT_EQ(0, r.nStatus) << r.Report();
    EXPECT_TRUE(e2e::ReportRules(r.out, "FAIL").empty()) << r.out;
    for (const char* szRule :
         {"open.slot", "io.sync", "settings.result", "settings.level", "settings.level-flag",
          "settings.offsets", "descriptor.length", "rates.offered", "stream.rate"}) {
        EXPECT_EQ(1u, e2e::ReportRules(r.out, "PASS").count(szRule)) << szRule << "\n" << r.out;
    }
    // Units 2 to 4 run no stream; the should rules may warn on a busy machine.
    EXPECT_NE(std::string::npos, r.out.find(" 0 failed, 3 skipped")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("(units 1, 2, 3, 4)\n")) << r.out;
    std::string text = ReadFile(json);
    EXPECT_NE(std::string::npos, text.find("\"exit\": 0,")) << text;
    EXPECT_NE(std::string::npos, text.find("\"format\": 1,")) << text;
    EXPECT_NE(std::string::npos, text.find("\"unitsOpen\": [1, 2, 3, 4]")) << text;
    EXPECT_EQ(before, e2e::Simctl({"show"}));
}

TEST(DrvCheck, EachFaultBreaksExactlyItsRule) {
    const struct {
        const char* szScenario;
        std::vector<std::string> args;
        const char* szRule;
        const char* szEvidence;
    } kFaults[] = {
        {"[slot 0]\nname-shift = -1\n[slot 1]\n", {}, "open.slot", "\\\\.\\Tkwm3340000 opens"},
        {"[slot 0]\npend = GET_CLOCK\n", {}, "io.sync", "GET_CLOCK (20 bytes) is left pending"},
        {"[slot 0]\nread-result = 0\n", {}, "settings.result", "result word 0"},
        {"[slot 0]\nbuffer-level = 12\n", {}, "settings.level", "buffer level 12 is outside"},
        {"[slot 0]\nbuffer-level = 3\n", {}, "settings.level-flag", "level 3 carries level flag 0"},
        {"[slot 0]\noffset1 = 20\n", {}, "settings.offsets", "offset 1 is 20"},
        {"[slot 0]\noffers = 32000\n", {}, "rates.offered", "rate list stays empty"},
        {"[slot 0]\nstream-active = 1\nstream-rate = 0\n", {}, "stream.rate", "reports rate 0"},
        {"[slot 0]\nwrite-result = 7\n", {"--write"}, "write.result", "result 7, outside 0..3"},
    };
    for (const auto& fault : kFaults) {
        e2e::LoadScenarioText(fault.szScenario);
        std::vector<std::string> args = {"--repeat", "2"};
        args.insert(args.end(), fault.args.begin(), fault.args.end());
        e2e::RunResult r = DrvCheck(args);
        EXPECT_EQ(1, r.nStatus) << fault.szRule << "\n" << r.Report();
        EXPECT_EQ(std::set<std::string>{fault.szRule}, e2e::ReportRules(r.out, "FAIL")) << r.out;
        EXPECT_NE(std::string::npos, r.out.find(fault.szEvidence)) << fault.szRule << "\n" << r.out;
    }
}

TEST(DrvCheck, WriteLeavesTheRecordAsItWasAlsoWhenTheDriverChangesIt) {
    // A driver that keeps the record is written once; one that changes it, once more.
    const struct {
        const char* szScenario;
        size_t nWrites;
    } kDrivers[] = {{"[slot 0]\nbuffer-level = 7\n", 1},
                    {"[slot 0]\nbuffer-level = 7\nwrite-shift = 2\n", 2}};
    for (const auto& driver : kDrivers) {
        e2e::LoadScenarioText(driver.szScenario);
        std::string before = e2e::Simctl({"show"});
        e2e::RunResult r = DrvCheck({"--repeat", "1", "--write"});
        EXPECT_EQ(0, r.nStatus) << r.Report();

        std::vector<e2e::LogLine> reads = Requests(IOCTL_DRV_GET_SETTINGS);
        std::vector<e2e::LogLine> writes = Requests(IOCTL_DRV_SET_SETTINGS);
        ASSERT_FALSE(reads.empty());
        const std::string original = SettingsHex(reads.front().answered);
        ASSERT_EQ(driver.nWrites, writes.size()) << driver.szScenario << r.out;
        for (const e2e::LogLine& write : writes)
            EXPECT_EQ(original, SettingsHex(write.sent));
        EXPECT_EQ(original, SettingsHex(reads.back().answered));

        std::string after = e2e::Simctl({"show"});
        // The only difference allowed: the simulated fault, spent by the first write.
        size_t at = before.find("write-shift = 2");
        if (at != std::string::npos)
            before.replace(at, 15, "write-shift = 0");
        EXPECT_EQ(before, after) << r.out;
    }
}

TEST(DrvCheck, RatesSetsEachOfferedRateAndTheOriginalLast) {
    e2e::LoadScenarioText("[slot 0]\nrate = 88200\nunit-rate = 88200\ncurrent-rate = 88200\n");
    std::string before = e2e::Simctl({"show"});
    e2e::RunResult r = DrvCheck({"--repeat", "1", "--rates"});
    EXPECT_EQ(0, r.nStatus) << r.Report();
    EXPECT_EQ(1u, e2e::ReportRules(r.out, "PASS").count("rates.switch")) << r.out;
    std::vector<std::string> rates;
    for (const e2e::LogLine& set : Requests(IOCTL_DRV_SET_RATE))
        rates.push_back(set.sent.substr(8, 8));
    // 44100, 48000, 88200, 96000, then 88200 again, little-endian.
    EXPECT_EQ(
        (std::vector<std::string>{"44ac0000", "80bb0000", "88580100", "00770100", "88580100"}),
        rates);
    EXPECT_EQ(before, e2e::Simctl({"show"}));
}

TEST(DrvCheck, CtrlCDuringRatesSetsTheOriginalRateBackFirst) {
    // A slow unit that offers all seven rates: switching them takes seconds, time enough to
    // see the first rate change in the log and interrupt the run.
    e2e::LoadScenarioText(
        "[slot 0]\nrate = 88200\nunit-rate = 88200\ncurrent-rate = 88200\nanswer-delay = 200\n"
        "offers = 44100 48000 88200 96000 176400 192000 352800\n");
    std::string before = e2e::Simctl({"show"});
    const std::string out = e2e::ResultsDir() + "/drvcheck-interrupted.txt";
    pid_t pid = StartDrvCheck({"--repeat", "1", "--rates"}, out);
    ASSERT_GT(pid, 0);
    bool bSeen = false;
    for (int i = 0; i < 300 && !bSeen && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
        bSeen = !Requests(IOCTL_DRV_SET_RATE).empty();
    if (bSeen)
        kill(pid, SIGINT);
    int nStatus = WaitFor(pid, 60);
    std::string report = ReadFile(out);
    EXPECT_EQ(before, e2e::Simctl({"show"})) << report;
    std::vector<e2e::LogLine> sets = Requests(IOCTL_DRV_SET_RATE);
    ASSERT_FALSE(sets.empty()) << report;
    EXPECT_EQ("88580100", sets.back().sent.substr(8, 8)) << "88200 Hz set back last";
    if (nStatus == 0 && report.find("interrupted") == std::string::npos)
        GTEST_SKIP() << "the run ended before the interruption reached it:\n" << report;
    EXPECT_EQ(2, nStatus) << report;
    EXPECT_LT(sets.size(), 8u) << "interrupted before every rate was set\n" << report;
    EXPECT_NE(std::string::npos,
              report.find("drvcheck: interrupted (Ctrl-C); what it changed was put back first"))
        << report;
}

TEST(DrvCheck, RobustnessSendsTheMalformedRequestsAndChangesNothing) {
    e2e::LoadScenarioText("[slot 0]\n");
    std::string before = e2e::Simctl({"show"});
    e2e::RunResult r = DrvCheck({"--repeat", "1", "--robustness"});
    EXPECT_EQ(0, r.nStatus) << r.Report();
    for (const char* szRule : {"robust.short", "robust.long", "robust.unknown", "robust.after"})
        EXPECT_EQ(1u, e2e::ReportRules(r.out, "PASS").count(szRule)) << szRule << "\n" << r.out;
    std::set<std::string> malformed;
    for (const e2e::LogLine& line : e2e::ReadLog()) {
        if (line.kind == "control" && (line.nSize != DrvBufferSize(line.nCode)))
            malformed.insert(std::to_string(line.nSize) + (line.bOk ? " answered" : " refused"));
    }
    EXPECT_EQ((std::set<std::string>{"339 refused", "341 refused", "4 refused"}), malformed);
    EXPECT_EQ(before, e2e::Simctl({"show"}));
}

TEST(DrvCheck, WriteAndRatesRefuseWhileTheUnitIsBusyOrItsStateUnknown) {
    const struct {
        const char* szScenario;
        const char* szWhy;
    } kBusy[] = {
        {"[slot 0]\nin-use = 1\n", "in use (in-use word 1)"},
        {"[slot 0]\nfail = GET_IN_USE always\n", "GET_IN_USE brings no answer"},
        {"[slot 0]\nfail = GET_STREAM_STATE always\n", "GET_STREAM_STATE brings no answer"},
        {"[slot 0]\npend = GET_STREAM_STATE\n", "GET_STREAM_STATE brings no answer (left pending)"},
    };
    for (const auto& busy : kBusy) {
        e2e::LoadScenarioText(busy.szScenario);
        e2e::RunResult r = DrvCheck({"--repeat", "1", "--write", "--rates"});
        EXPECT_NE(std::string::npos, r.out.find(std::string(busy.szWhy))) << r.out;
        EXPECT_NE(std::string::npos, r.out.find("nothing written")) << r.out;
        EXPECT_NE(std::string::npos, r.out.find("no rate set")) << r.out;
        EXPECT_TRUE(Requests(IOCTL_DRV_SET_SETTINGS).empty()) << busy.szScenario;
        EXPECT_TRUE(Requests(IOCTL_DRV_SET_RATE).empty()) << busy.szScenario;
    }
}

TEST(DrvCheck, NoUnitAndBadOptionsEndWithStatusTwo) {
    // No unit under the panel's names, but one under a stray name: the JSON still tells.
    e2e::LoadScenarioText("[slot 0]\nname-shift = -1\n");
    const std::string json = e2e::ResultsDir() + "/drvcheck-none.json";
    std::remove(json.c_str());
    e2e::RunResult none = DrvCheck({"--json", e2e::WinPath(json)});
    EXPECT_EQ(2, none.nStatus) << none.Report();
    EXPECT_NE(std::string::npos, none.out.find("no control device opens")) << none.out;
    std::string text = ReadFile(json);
    EXPECT_NE(std::string::npos, text.find("\"exit\": 2,")) << text;
    EXPECT_NE(std::string::npos, text.find("\"unitsOpen\": []")) << text;
    EXPECT_NE(std::string::npos, text.find("Tkwm3340000\"]")) << text;
    e2e::RunResult forgotten = DrvCheck({"--json", "--write"});
    EXPECT_EQ(2, forgotten.nStatus) << forgotten.Report();
    EXPECT_NE(std::string::npos, forgotten.err.find("--json takes a file name")) << forgotten.err;
    e2e::LoadScenarioText("[slot 0]\n");
    e2e::RunResult unwritable =
        DrvCheck({"--repeat", "1", "--json", "Z:\\no\\such\\folder\\r.json"});
    EXPECT_EQ(2, unwritable.nStatus) << unwritable.Report();
    EXPECT_NE(std::string::npos, unwritable.out.find("r.json cannot be written")) << unwritable.out;
    e2e::RunResult bad = DrvCheck({"--unit", "5"});
    EXPECT_EQ(2, bad.nStatus) << bad.Report();
    EXPECT_NE(std::string::npos, bad.err.find("usage: drvcheck")) << bad.err;
}

namespace {

// The line "drvcheck: left changed: ..." of a report, or "".
std::string LeftChanged(const std::string& report) {
    std::istringstream in(report);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("drvcheck: left changed: ", 0) == 0)
            return line;
    }
    return std::string();
}

// A field of simctl's show for slot 0 ("current-rate = 88200" gives "88200").
std::string Slot0Field(const std::string& key) {
    std::istringstream in(e2e::Simctl({"show"}));
    std::string line;
    bool bSlot0 = false;
    while (std::getline(in, line)) {
        if (line.rfind("[slot ", 0) == 0)
            bSlot0 = line == "[slot 0]";
        else if (bSlot0 && line.rfind(key + " = ", 0) == 0)
            return line.substr(key.size() + 3);
    }
    return std::string();
}

// Successful opens of unit 1 up to and including the one that carried the first request of
// nCode, in a run of drvcheck with ARGS on SCENARIO: an "opens" budget of that many lets the
// request through and makes the unit vanish right after it, as a unit unplugged then would.
int OpensThrough(const std::string& scenario, const std::vector<std::string>& args,
                 uint32_t nCode) {
    e2e::LoadScenarioText(scenario);
    DrvCheck(args);
    int nOpens = 0;
    for (const e2e::LogLine& line : e2e::ReadLog()) {
        if (line.nSlot == 0 && line.kind == "open" && line.bOk)
            ++nOpens;
        if (line.kind == "control" && line.nCode == nCode)
            return nOpens;
    }
    return -1;
}

// drvcheck started in the background, interrupted by SEND once it has sent its first request of
// nCode; its exit status (-1 when it ran to its end first), and its report.
int Interrupt(const std::vector<std::string>& args, uint32_t nCode,
              const std::function<void(pid_t)>& send, std::string& report) {
    const std::string out = e2e::ResultsDir() + "/drvcheck-interrupted.txt";
    pid_t pid = StartDrvCheck(args, out);
    EXPECT_GT(pid, 0);
    bool bSeen = false;
    for (int i = 0; i < 300 && !bSeen && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
        bSeen = !Requests(nCode).empty();
    if (bSeen)
        send(pid);
    int nStatus = WaitFor(pid, 60);
    report = Flat(ReadFile(out));
    return bSeen ? nStatus : -1;
}

const char kSlowRates[] =
    "[slot 0]\nrate = 88200\nunit-rate = 88200\ncurrent-rate = 88200\nanswer-delay = 300\n"
    "offers = 44100 48000 88200 96000 176400 192000 352800\n";

}  // namespace

TEST(DrvCheckSafety, CtrlCDuringTheTimingRoundsSendsNoMalformedRequest) {
    // A slow unit: the timing rounds take seconds, and Ctrl-C comes in the middle of them.
    e2e::LoadScenarioText("[slot 0]\nanswer-delay = 100\n");
    std::string report;
    int nStatus = Interrupt(
        {"--repeat", "10", "--robustness"}, IOCTL_DRV_GET_CLOCK,
        [](pid_t pid) {
            // The read-all sends GET_CLOCK once; the rounds then follow.
            for (int i = 0; i < 100 && Requests(IOCTL_DRV_GET_CLOCK).size() < 3; ++i)
                usleep(50000);
            kill(pid, SIGINT);
        },
        report);
    ASSERT_NE(-1, nStatus) << report;
    EXPECT_EQ(2, nStatus) << report;
    EXPECT_NE(std::string::npos,
              report.find("drvcheck: interrupted (Ctrl-C); it had changed nothing"))
        << report;
    for (const e2e::LogLine& line : e2e::ReadLog()) {
        if (line.kind == "control") {
            EXPECT_EQ(DrvBufferSize(line.nCode), line.nSize) << "malformed: " << line.text;
        }
    }
    EXPECT_TRUE(e2e::ReportRules(report, "PASS").count("robust.short") == 0) << report;
}

TEST(DrvCheckSafety, EveryAnnouncedEndPutsTheRateBackFirst) {
    const struct {
        const char* szEvent;
        const char* szName;
    } kEvents[] = {{"2", "console closed"}, {"5", "log-off"}, {"6", "shutdown"}};
    // The rates take 4 s, ample for ctrlevent to start and reach the run.
    for (const auto& event : kEvents) {
        e2e::LoadScenarioText(kSlowRates);
        std::string before = e2e::Simctl({"show"});
        std::string report;
        int nStatus = Interrupt(
            {"--repeat", "1", "--rates"}, IOCTL_DRV_SET_RATE,
            [&](pid_t) {
                e2e::RunResult sent =
                    e2e::Wine(e2e::CrossDir() + "/tests/harness/ctrlevent/ctrlevent.exe",
                              {"drvcheck.exe", event.szEvent}, 30);
                EXPECT_EQ(0, sent.nStatus) << sent.Report();
            },
            report);
        ASSERT_NE(-1, nStatus) << event.szName << ": the run ended first\n" << report;
        EXPECT_EQ(before, e2e::Simctl({"show"})) << event.szName << "\n" << report;
        std::vector<e2e::LogLine> sets = Requests(IOCTL_DRV_SET_RATE);
        ASSERT_FALSE(sets.empty());
        EXPECT_LT(sets.size(), 8u) << event.szName << ": stopped before every rate was set";
        EXPECT_EQ("88580100", sets.back().sent.substr(8, 8)) << "88200 Hz set back last";
        EXPECT_NE(std::string::npos,
                  report.find(std::string("drvcheck: interrupted (") + event.szName +
                              "); what it changed was put back first"))
            << report;
    }
}

TEST(DrvCheckSafety, AUnitUnpluggedMidRunIsNamedAsLeftChanged) {
    // Rates: unplugged right after the first SET_RATE (44100 Hz) took.
    const std::string rates = "[slot 0]\nrate = 88200\nunit-rate = 88200\ncurrent-rate = 88200\n";
    const std::vector<std::string> ratesArgs = {"--repeat", "1", "--rates"};
    int nOpens = OpensThrough(rates, ratesArgs, IOCTL_DRV_SET_RATE);
    ASSERT_GT(nOpens, 0);
    e2e::LoadScenarioText(rates + "opens = " + std::to_string(nOpens) + "\n");
    e2e::RunResult r = DrvCheck(ratesArgs);
    EXPECT_EQ(1, r.nStatus) << r.Report();
    std::string left = LeftChanged(r.out);
    EXPECT_NE(std::string::npos, left.find("unit 1 sampling rate: 44100 Hz was set last")) << r.out;
    EXPECT_NE(std::string::npos, left.find("the original 88200 Hz could not be set back")) << left;
    EXPECT_EQ("44100", Slot0Field("current-rate")) << "what the line says is left is left";

    // Write: unplugged right after a SET_SETTINGS that the driver changed (level 7 to 9).
    const std::string write = "[slot 0]\nbuffer-level = 7\nwrite-shift = 2\n";
    const std::vector<std::string> writeArgs = {"--repeat", "1", "--write"};
    nOpens = OpensThrough(write, writeArgs, IOCTL_DRV_SET_SETTINGS);
    ASSERT_GT(nOpens, 0);
    e2e::LoadScenarioText(write + "opens = " + std::to_string(nOpens) + "\n");
    r = DrvCheck(writeArgs);
    EXPECT_EQ(1, r.nStatus) << r.Report();
    left = LeftChanged(r.out);
    EXPECT_NE(std::string::npos, left.find("unit 1 settings record: it cannot be read after the "
                                           "write (error 2 ERROR_FILE_NOT_FOUND)"))
        << r.out;
    EXPECT_EQ("9", Slot0Field("buffer-level")) << "the record does differ";
}

TEST(DrvCheckSafety, ASecondRunAndThePanelAreNotChangedUnder) {
    // A second drvcheck while the first sets rates: it changes nothing, and the first puts the
    // original back.
    e2e::LoadScenarioText(kSlowRates);
    std::string before = e2e::Simctl({"show"});
    const std::string out = e2e::ResultsDir() + "/drvcheck-first.txt";
    pid_t pid = StartDrvCheck({"--repeat", "1", "--rates"}, out);
    ASSERT_GT(pid, 0);
    for (int i = 0;
         i < 300 && Requests(IOCTL_DRV_SET_RATE).empty() && waitpid(pid, nullptr, WNOHANG) == 0;
         ++i)
        usleep(50000);
    // A panel started meanwhile finds its mark taken and ends at once, without a window.
    {
        e2e::UiProbe probe;
        probe.Ok("run " + e2e::WinPath(e2e::PanelExe()));
        probe.Ok("exit 5000");
        siginfo_t info = {};
        waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT);
        EXPECT_EQ(0, info.si_pid) << "the panel ended while the run went on";
    }
    e2e::RunResult second = DrvCheck({"--repeat", "1", "--write", "--rates"});
    int nFirst = WaitFor(pid, 60);
    std::string first = ReadFile(out);
    EXPECT_EQ(0, nFirst) << first;
    EXPECT_NE(std::string::npos, second.out.find("another drvcheck runs: nothing changed"))
        << second.out;
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_SETTINGS).empty());
    EXPECT_EQ(8u, Requests(IOCTL_DRV_SET_RATE).size()) << "the first run's seven and one back";
    EXPECT_EQ(before, e2e::Simctl({"show"})) << first;

    // The panel open: nothing is changed under it.
    e2e::LoadScenarioText("[slot 0]\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    e2e::RunResult r = DrvCheck({"--repeat", "1", "--write", "--rates"});
    size_t nAt = r.out.find("the settings panel runs: nothing changed");
    EXPECT_NE(std::string::npos, nAt) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("the settings panel runs: nothing changed", nAt + 1))
        << "both steps refused\n"
        << r.out;
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_SETTINGS).empty());
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_RATE).empty());
    EXPECT_EQ("0", panel.Close());
}

TEST(DrvCheckSafety, ADriverThatSwitchesLateIsWaitedFor) {
    const struct {
        int nLagMs;
        const char* szTag;  // rates.switch
        const char* szEvidence;
    } kDrivers[] = {
        {100, "PASS", "each read back by the clock within"},
        {600, "WARN", "the panel's next tick does not show the rate chosen"},
    };
    for (const auto& driver : kDrivers) {
        e2e::LoadScenarioText(
            "[slot 0]\nrate = 88200\nunit-rate = 88200\ncurrent-rate = 88200\n"
            "rate-lag = " +
            std::to_string(driver.nLagMs) + "\n");
        std::string before = e2e::Simctl({"show"});
        e2e::RunResult r = DrvCheck({"--repeat", "1", "--rates"});
        EXPECT_EQ(0, r.nStatus) << r.Report();
        EXPECT_EQ(1u, e2e::ReportRules(r.out, driver.szTag).count("rates.switch")) << r.out;
        EXPECT_NE(std::string::npos, r.out.find(driver.szEvidence)) << r.out;
        EXPECT_NE(std::string::npos, r.out.find("88200 Hz set back and confirmed")) << r.out;
        EXPECT_EQ("", LeftChanged(r.out)) << r.out;
        EXPECT_EQ(before, e2e::Simctl({"show"})) << r.out;
    }
}

TEST(DrvCheck, OnlyRunsTheNamedRuleAndTheJsonCarriesTheRealExit) {
    e2e::RunResult list = DrvCheck({"--list"});
    EXPECT_EQ(0, list.nStatus) << list.Report();
    for (const char* szRule : {"open.slot", "io.sync", "settings.offset-off", "rates.switch",
                               "robust.after", "descriptor.length"}) {
        EXPECT_NE(std::string::npos, list.out.find(std::string(szRule) + " ")) << list.out;
    }

    e2e::LoadScenarioText("[slot 0]\nbuffer-level = 3\n");
    const std::string json = e2e::ResultsDir() + "/drvcheck-only.json";
    e2e::RunResult r = DrvCheck({"--only", "settings.level-flag", "--json", e2e::WinPath(json)});
    EXPECT_EQ(1, r.nStatus) << r.Report();
    EXPECT_EQ(std::set<std::string>{"settings.level-flag"}, e2e::ReportRules(r.out, "FAIL"))
        << r.out;
    EXPECT_TRUE(e2e::ReportRules(r.out, "PASS").empty()) << r.out;
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_RATE).empty());
    // No timing rounds: each read once, as the panel sends it on opening.
    EXPECT_EQ(1u, Requests(IOCTL_DRV_GET_CLOCK).size());
    std::string text = ReadFile(json);
    EXPECT_NE(std::string::npos, text.find("\"exit\": 1,")) << text;
    EXPECT_NE(std::string::npos, text.find("\"failed\": 1,")) << text;
}
