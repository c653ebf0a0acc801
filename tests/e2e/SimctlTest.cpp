// simctl against the kernel-mode driver: scenarios load in one go, units come and go while
// programs run, single fields change, requests fail on demand, and the log reads back.
#include <fstream>
#include <string>

#include "sim/simctl/Scenario.h"
#include "tests/e2e/Harness.h"

namespace {

using e2e::DrvProbe;
using e2e::LoadScenario;
using e2e::LoadScenarioText;
using e2e::ReadLog;
using e2e::Simctl;

std::string ShippedFormatted(const std::string& name) {
    std::ifstream in(e2e::SourceDir() + "/sim/scenarios/" + name, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    scenario::Units units;
    std::string error;
    EXPECT_TRUE(scenario::Parse(text, units, error)) << error;
    return scenario::Format(units);
}

TEST(Simctl, LoadedScenarioReadsBackUnchanged) {
    for (const char* szName : {"one-unit.scn", "slots-1-3.scn", "four-units-external.scn",
                               "power-cycle.scn", "demo.scn"}) {
        LoadScenario(szName);
        EXPECT_EQ(ShippedFormatted(szName), Simctl({"show"})) << szName;
    }
}

TEST(Simctl, BadScenarioNamesTheLineAndChangesNothing) {
    LoadScenario("demo.scn");
    std::string before = Simctl({"show"});
    std::string path = e2e::ResultsDir() + "/bad.scn";
    std::ofstream(path, std::ios::binary) << "[slot 0]\nstream-rate = 48000\n[slot 1]\nrat = 4\n";
    e2e::RunResult r = e2e::Wine(e2e::Cross64Dir() + "/sim/simctl/simctl.exe", {"load", path});
    EXPECT_EQ(1, r.nStatus) << r.Report();
    EXPECT_EQ("simctl: " + path + ": line 4: unknown key 'rat'\n", r.err);
    EXPECT_EQ(before, Simctl({"show"}));
}

TEST(Simctl, UnknownCommandIsAnError) {
    e2e::RunResult r = e2e::Wine(e2e::Cross64Dir() + "/sim/simctl/simctl.exe", {"volume", "3"});
    EXPECT_EQ(1, r.nStatus) << r.Report();
    EXPECT_NE(std::string::npos, r.err.find("unknown command 'volume'")) << r.err;
}

TEST(Simctl, UnplugRemovesTheLinkAndPlugBringsItBack) {
    LoadScenario("one-unit.scn");
    EXPECT_EQ(std::vector<std::string>({"open 1 0", "any 1"}), DrvProbe({"open", "0", "any"}));
    Simctl({"unplug", "0", "+", "clear-log"});
    // As on Windows: no such device, error 2, and the driver sees no open at all.
    EXPECT_EQ(std::vector<std::string>({"open 0 2", "any 0"}), DrvProbe({"open", "0", "any"}));
    EXPECT_TRUE(ReadLog().empty());
    Simctl({"plug", "2"});
    EXPECT_EQ(std::vector<std::string>({"open 0 2", "open 1 0"}),
              DrvProbe({"open", "0", "open", "2"}));
}

TEST(Simctl, SetChangesOneFieldAndLeavesTheRest) {
    LoadScenario("demo.scn");
    std::string before = Simctl({"show"});
    Simctl({"set", "0", "stream-rate = 96000", "locked=1"});
    EXPECT_EQ(std::vector<std::string>({"stream 1 1 96000"}), DrvProbe({"stream"}));
    std::string after = Simctl({"show"});
    std::string expected = before;
    expected.replace(expected.find("stream-rate = 48000"), 19, "stream-rate = 96000");
    expected.replace(expected.find("locked = 0"), 10, "locked = 1");
    EXPECT_EQ(expected, after);
}

TEST(Simctl, FailMakesTheNextRequestsOfACodeFail) {
    LoadScenario("one-unit.scn");
    Simctl({"fail", "0", "GET_CLOCK", "2"});
    EXPECT_EQ(std::vector<std::string>(
                  {"clock 0 0 0 0 0 0", "clock 0 0 0 0 0 0", "clock 1 0 48000 48000 0 0", "any 1"}),
              DrvProbe({"clock", "0", "clock", "0", "clock", "0", "any"}));
    Simctl({"fail", "0", "GET_IN_USE", "always"});
    EXPECT_EQ(std::vector<std::string>({"idle 1", "idle 1"}), DrvProbe({"idle", "idle"}));
    std::vector<e2e::LogLine> log = ReadLog();
    ASSERT_FALSE(log.empty());
    EXPECT_FALSE(log.back().bOk) << log.back().text;
}

TEST(Simctl, OpenBudgetRemovesTheLinkWhenItRunsOut) {
    LoadScenarioText("[slot 0]\nopens = 3\n[slot 1]\n");
    // Form A: two opens for the read; the third open is the last the unit allows.
    EXPECT_EQ("any 1", DrvProbe({"read", "any"}).back());
    EXPECT_EQ(std::vector<std::string>({"open 0 2", "open 1 0"}),
              DrvProbe({"open", "0", "open", "1"}));
    std::vector<e2e::LogLine> log = ReadLog();
    int nOpens0 = 0;
    for (const e2e::LogLine& line : log) {
        if (line.nSlot == 0 && line.kind == "open")
            ++nOpens0;
    }
    EXPECT_EQ(3, nOpens0);
    EXPECT_NE(std::string::npos, Simctl({"show"}).find("opens = 0"));
}

TEST(Simctl, LogIsStableAndClears) {
    LoadScenario("one-unit.scn");
    DrvProbe({"idle"});
    EXPECT_EQ("0 open 1 - - - -\n0 open 1 - - - -\n0 control 1 0x2221F8 4 00000000 00000000\n",
              Simctl({"log"}));
    Simctl({"clear-log"});
    EXPECT_EQ("", Simctl({"log"}));
}

TEST(Simctl, FullLogCountsTheDropped) {
    LoadScenario("one-unit.scn");
    DrvProbe({"bench", "300"});  // 600 entries
    std::string log = Simctl({"log"});
    EXPECT_EQ(sim::kLogEntries, static_cast<int>(e2e::ParseLog(log).size()));
    EXPECT_NE(std::string::npos, log.find("\ndropped 88\n")) << log.substr(log.size() - 200);
}

TEST(Simctl, ResetUnplugsEveryUnit) {
    LoadScenario("four-units-external.scn");
    Simctl({"reset"});
    EXPECT_EQ(std::vector<std::string>({"any 0"}), DrvProbe({"any"}));
    EXPECT_EQ("", Simctl({"log"}));
}

}  // namespace
