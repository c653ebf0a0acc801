// drvcheck.exe against the kernel-mode simulated driver: a sound driver passes every must rule,
// each fault breaks exactly its own rule, and --write and --rates leave the unit as they found
// it, as the driver's state and request log show.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "driver/DrvControlCodes.h"
#include "tests/e2e/Harness.h"

namespace {

e2e::RunResult DrvCheck(const std::vector<std::string>& args) {
    return e2e::Wine(e2e::CrossDir() + "/drvcheck/drvcheck.exe", args, 60);
}

// The ids of the report's lines that start with TAG ("FAIL", "PASS", ...).
std::set<std::string> Rules(const std::string& out, const std::string& tag) {
    std::set<std::string> ids;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first, id;
        if (words >> first >> id && first == tag)
            ids.insert(id);
    }
    return ids;
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
    EXPECT_TRUE(Rules(r.out, "FAIL").empty()) << r.out;
    for (const char* szRule :
         {"open.slot", "io.sync", "settings.result", "settings.level", "settings.level-flag",
          "settings.offsets", "descriptor.length", "rates.offered", "stream.rate"}) {
        EXPECT_EQ(1u, Rules(r.out, "PASS").count(szRule)) << szRule << "\n" << r.out;
    }
    // Units 2 to 4 run no stream; the should rules may warn on a busy machine.
    EXPECT_NE(std::string::npos, r.out.find(" 0 failed, 3 skipped")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("(units 1, 2, 3, 4)\n")) << r.out;
    std::string text = ReadFile(json);
    EXPECT_NE(std::string::npos, text.find("\"exit\": 0")) << text;
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
        {"[slot 0]\ndescriptor-length = 3000\n", {}, "descriptor.length", "length 3000"},
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
        EXPECT_EQ(std::set<std::string>{fault.szRule}, Rules(r.out, "FAIL")) << r.out;
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
    EXPECT_EQ(1u, Rules(r.out, "PASS").count("rates.switch")) << r.out;
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
    EXPECT_NE(std::string::npos, report.find("drvcheck: interrupted; what it changed was put back"))
        << report;
}

TEST(DrvCheck, RobustnessSendsTheMalformedRequestsAndChangesNothing) {
    e2e::LoadScenarioText("[slot 0]\n");
    std::string before = e2e::Simctl({"show"});
    e2e::RunResult r = DrvCheck({"--repeat", "1", "--robustness"});
    EXPECT_EQ(0, r.nStatus) << r.Report();
    for (const char* szRule : {"robust.short", "robust.long", "robust.unknown", "robust.after"})
        EXPECT_EQ(1u, Rules(r.out, "PASS").count(szRule)) << szRule << "\n" << r.out;
    std::set<std::string> malformed;
    for (const e2e::LogLine& line : e2e::ReadLog()) {
        if (line.kind == "control" && (line.nSize != DrvBufferSize(line.nCode)))
            malformed.insert(std::to_string(line.nSize) + (line.bOk ? " answered" : " refused"));
    }
    EXPECT_EQ((std::set<std::string>{"339 refused", "341 refused", "4 refused"}), malformed);
    EXPECT_EQ(before, e2e::Simctl({"show"}));
}

TEST(DrvCheck, WriteAndRatesRefuseWhileTheUnitIsInUse) {
    e2e::LoadScenarioText("[slot 0]\nin-use = 1\n");
    e2e::RunResult r = DrvCheck({"--repeat", "1", "--write", "--rates"});
    EXPECT_EQ(0, r.nStatus) << r.Report();
    EXPECT_NE(std::string::npos, r.out.find("in use (in-use word 1): nothing written")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("in use (in-use word 1): no rate set")) << r.out;
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_SETTINGS).empty());
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_RATE).empty());
}

TEST(DrvCheck, NoUnitAndBadOptionsEndWithStatusTwo) {
    e2e::LoadScenarioText("");
    e2e::RunResult none = DrvCheck({});
    EXPECT_EQ(2, none.nStatus) << none.Report();
    EXPECT_NE(std::string::npos, none.out.find("no control device opens")) << none.out;
    e2e::RunResult bad = DrvCheck({"--unit", "5"});
    EXPECT_EQ(2, bad.nStatus) << bad.Report();
    EXPECT_NE(std::string::npos, bad.err.find("usage: drvcheck")) << bad.err;
}
