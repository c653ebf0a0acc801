// The production driver link (CreateFileW, DeviceIoControl) of a real 32-bit exe against the
// kernel-mode simulated driver: what reaches the driver, byte for byte.
//
// The oracle is the same driver link natively over the in-process port, with the same scenario:
// both logs must agree line for line, except that the in-process port also logs the opens that
// fail, which never reach a kernel driver (the missing link fails them first).
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "driver/DrvControlCodes.h"
#include "driver/DrvDevTable.h"
#include "sim/InProcessSim.h"
#include "sim/simctl/Scenario.h"
#include "tests/e2e/Harness.h"

namespace {

using e2e::DrvProbe;
using e2e::LogLine;
using e2e::ReadLog;

std::string ScenarioText(const std::string& name) {
    std::ifstream in(e2e::SourceDir() + "/sim/scenarios/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// drvprobe's operations, natively; returns the log the kernel-mode driver must show.
std::vector<std::string> OracleLog(const std::string& scenarioText,
                                   const std::vector<std::string>& args) {
    scenario::Units units;
    std::string error;
    EXPECT_TRUE(scenario::Parse(scenarioText, units, error)) << error;
    sim::Bus& bus = sim::InProcessBus();
    std::memcpy(bus.aUnit, units.aUnit, sizeof bus.aUnit);
    sim::ClearLog(&bus);

    DrvDevTable table;
    table.Build();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& command = args[i];
        if (command == "any") {
            table.AnyPresent();
        } else if (command == "read") {
            DrvSettings settings;
            table.ReadSettings(settings);
        } else if (command == "write") {
            DrvSettings settings;
            std::memset(settings.aRate, 0, sizeof settings.aRate);
            if (i + 1 < args.size() && std::isdigit(static_cast<unsigned char>(args[i + 1][0]))) {
                settings.nBufferLevel = std::stoi(args[++i]);
            }
            int32_t nResult = 0;
            table.WriteSettings(settings, nResult);
        } else if (command == "idle") {
            table.IsIdle();
        } else if (command == "stream") {
            DrvStreamState st;
            std::memset(&st, 0, sizeof st);
            table.GetStreamState(st);
        } else if (command == "refrate") {
            int32_t nCount = 0, nRate = 0;
            table.GetReferenceRate(nCount, nRate);
        } else if (command == "clock") {
            int nSlot = std::stoi(args[++i]);
            DrvClockStatus clock;
            std::memset(&clock, 0, sizeof clock);
            table[nSlot].Control(IOCTL_DRV_GET_CLOCK, &clock, sizeof clock);
        } else if (command == "setrate") {
            int nSlot = std::stoi(args[++i]);
            DrvRateValue rate = {0, std::stoi(args[++i])};
            table[nSlot].Control(IOCTL_DRV_SET_RATE, &rate, sizeof rate);
        } else if (command == "queryrate") {
            int nSlot = std::stoi(args[++i]);
            DrvRateQuery query = {0, std::stoi(args[++i]), 0};
            table[nSlot].Control(IOCTL_DRV_QUERY_RATE, &query, sizeof query);
        } else {
            ADD_FAILURE() << "the oracle does not know " << command;
        }
    }
    std::vector<std::string> lines;
    for (int i = 0; i < bus.nLog; ++i) {
        const sim::LogEntry& entry = bus.aLog[i];
        if (entry.nKind == sim::kLogOpen && !entry.bOk)
            continue;
        lines.push_back(scenario::FormatLogEntry(entry));
    }
    return lines;
}

std::vector<std::string> Texts(const std::vector<LogLine>& log) {
    std::vector<std::string> lines;
    for (const LogLine& line : log)
        lines.push_back(line.text);
    return lines;
}

// Runs drvprobe on the scenario and checks the kernel log against the oracle's.
std::vector<LogLine> RunAndCompare(const std::string& scenarioName,
                                   const std::vector<std::string>& args,
                                   std::vector<std::string>* pOutput = nullptr) {
    e2e::LoadScenario(scenarioName);
    std::vector<std::string> output = DrvProbe(args);
    if (pOutput)
        *pOutput = output;
    std::vector<LogLine> log = ReadLog();
    EXPECT_EQ(OracleLog(ScenarioText(scenarioName), args), Texts(log));
    return log;
}

std::vector<LogLine> Controls(const std::vector<LogLine>& log) {
    std::vector<LogLine> controls;
    for (const LogLine& line : log) {
        if (line.kind == "control")
            controls.push_back(line);
    }
    return controls;
}

std::string Word(int32_t n) {
    return e2e::Hex(&n, 4);
}

TEST(Driver, ReadSendsTheDefaultWordsToTheFirstUnitOnly) {
    std::vector<std::string> out;
    std::vector<LogLine> log = RunAndCompare("slots-1-3.scn", {"read"}, &out);
    ASSERT_EQ(3u, log.size());
    // Form A: slot 1 is opened twice, slot 3 is never asked.
    EXPECT_EQ("1 open 1 - - - -", log[0].text);
    EXPECT_EQ("1 open 1 - - - -", log[1].text);
    EXPECT_EQ(IOCTL_DRV_GET_SETTINGS, log[2].nCode);
    EXPECT_EQ(340u, log[2].nSize);
    DrvSettingsIo io;
    std::memset(io.settings.aRate, 0, sizeof io.settings.aRate);
    io.nResult = 0;
    EXPECT_EQ(e2e::Hex(&io, sizeof io), log[2].sent);

    sim::Unit factory;
    sim::ResetUnit(&factory);
    EXPECT_EQ(e2e::Hex(factory.abSettings, sim::kSettingsBytes) + Word(1), log[2].answered);
    EXPECT_EQ("read 1 " + e2e::Hex(factory.abSettings, sim::kSettingsBytes), out.at(0));
}

TEST(Driver, WriteGivesTheSecondUnitTheBufferAsTheFirstAnsweredIt) {
    std::vector<std::string> out;
    std::vector<LogLine> log = RunAndCompare("slots-1-3.scn", {"write", "7"}, &out);
    std::vector<LogLine> controls = Controls(log);
    ASSERT_EQ(2u, controls.size());
    EXPECT_EQ(1, controls[0].nSlot);
    EXPECT_EQ(3, controls[1].nSlot);
    EXPECT_EQ(controls[0].answered, controls[1].sent);
    EXPECT_EQ(Word(0), controls[0].answered.substr(2 * 336)) << "slot 1 answers 0";
    EXPECT_EQ(Word(1), controls[1].answered.substr(2 * 336)) << "slot 3 answers 1";
    EXPECT_EQ(Word(7), controls[0].sent.substr(2 * 288, 8)) << "buffer level";
    EXPECT_EQ(std::vector<std::string>({"write 1 1"}), out);
    // Each present unit opened twice (form A).
    EXPECT_EQ(6u, log.size());
}

TEST(Driver, WriteResultTwoAsksForAPowerCycle) {
    std::vector<std::string> out;
    RunAndCompare("power-cycle.scn", {"write"}, &out);
    EXPECT_EQ(std::vector<std::string>({"write 1 2"}), out);
}

TEST(Driver, InUseStopsAtTheFirstBusyUnit) {
    std::vector<std::string> out;
    std::vector<LogLine> log = RunAndCompare("slots-1-3.scn", {"idle"}, &out);
    EXPECT_EQ(std::vector<std::string>({"idle 0"}), out);
    std::vector<LogLine> controls = Controls(log);
    ASSERT_EQ(2u, controls.size());
    EXPECT_EQ(Word(0), controls[0].sent);
    EXPECT_EQ(Word(0), controls[1].sent) << "the word is set to 0 once and stays 0";
    EXPECT_EQ(Word(1), controls[1].answered);
}

TEST(Driver, StreamStateOfTheDemo) {
    std::vector<std::string> out;
    std::vector<LogLine> log = RunAndCompare("demo.scn", {"stream"}, &out);
    EXPECT_EQ(std::vector<std::string>({"stream 1 1 48000"}), out);
    // Form B: one open per request, no presence test.
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(std::string(64, '0'), log[1].sent);
}

TEST(Driver, StreamStatePassesOverIdleUnits) {
    std::vector<std::string> out;
    e2e::LoadScenarioText(
        "[slot 0]\n[slot 2]\nstream-active = 1\nstream-rate = 96000\n"
        "answer-index = 5\n");
    out = DrvProbe({"stream"});
    EXPECT_EQ(std::vector<std::string>({"stream 1 1 96000"}), out);
    std::vector<LogLine> controls = Controls(ReadLog());
    ASSERT_EQ(2u, controls.size());
    EXPECT_EQ(controls[0].answered, controls[1].sent) << "the record goes on as answered";
}

TEST(Driver, ReferenceRateWalk) {
    std::vector<std::string> out;
    std::string scenarioText =
        "[slot 0]\nrate = 44100\n"
        "[slot 1]\nrate = 44100\ndevice-flag = 1\n"           // same kind, flag set: counted
        "[slot 2]\nrate = 44100\ndescriptor = 12 01 00 03\n"  // other kind, no flag: counted
        "[slot 3]\nrate = 48000\ndevice-flag = 1\n";          // same kind, flag, other rate
    e2e::LoadScenarioText(scenarioText);
    out = DrvProbe({"refrate"});
    EXPECT_EQ(std::vector<std::string>({"refrate 1 3 44100"}), out);
    std::vector<LogLine> log = ReadLog();
    EXPECT_EQ(OracleLog(scenarioText, {"refrate"}), Texts(log));
    std::vector<uint32_t> codes;
    std::vector<int> slots;
    for (const LogLine& line : Controls(log)) {
        codes.push_back(line.nCode);
        slots.push_back(line.nSlot);
    }
    EXPECT_EQ(std::vector<uint32_t>(
                  {IOCTL_DRV_GET_DESCRIPTOR, IOCTL_DRV_GET_RATE, IOCTL_DRV_GET_DESCRIPTOR,
                   IOCTL_DRV_GET_DEVICE_FLAG, IOCTL_DRV_GET_RATE, IOCTL_DRV_GET_DESCRIPTOR,
                   IOCTL_DRV_GET_DEVICE_FLAG, IOCTL_DRV_GET_RATE, IOCTL_DRV_GET_DESCRIPTOR,
                   IOCTL_DRV_GET_DEVICE_FLAG, IOCTL_DRV_GET_RATE}),
              codes);
    EXPECT_EQ(std::vector<int>({0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3}), slots);
}

TEST(Driver, ClockOfAnExternalUnit) {
    std::vector<std::string> out;
    std::vector<LogLine> log = RunAndCompare("four-units-external.scn", {"clock", "2"}, &out);
    EXPECT_EQ(std::vector<std::string>({"clock 1 0 44100 48000 1 1"}), out);
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(Word(0) + Word(44100) + Word(48000) + "0101" + std::string(12, '0'), log[1].answered);
}

TEST(Driver, RateChangeAndQuery) {
    std::vector<std::string> out;
    RunAndCompare("demo.scn",
                  {"queryrate", "0", "176400", "queryrate", "0", "96000", "setrate", "0", "96000",
                   "clock", "0", "setrate", "0", "192000", "clock", "0"},
                  &out);
    EXPECT_EQ(std::vector<std::string>({"queryrate 1 0", "queryrate 1 1", "setrate 1",
                                        "clock 1 0 96000 96000 0 0", "setrate 1",
                                        "clock 1 0 96000 96000 0 0"}),
              out);
}

TEST(Driver, EveryOperationMatchesTheOracle) {
    for (const char* szName : {"one-unit.scn", "slots-1-3.scn", "four-units-external.scn",
                               "power-cycle.scn", "demo.scn", "no-units.scn"}) {
        SCOPED_TRACE(szName);
        RunAndCompare(szName, {"any", "read", "write", "idle", "stream", "refrate", "clock", "0",
                               "queryrate", "1", "48000"});
    }
}

TEST(Driver, NoUnitMeansNoRequest) {
    std::vector<std::string> out;
    std::vector<LogLine> log =
        RunAndCompare("no-units.scn", {"any", "read", "write", "idle", "stream", "refrate"}, &out);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ("any 0", out.at(0));
    EXPECT_EQ("read 0", out.at(1).substr(0, 6));
    EXPECT_EQ("write 0 0", out.at(2));
    EXPECT_EQ("idle 1", out.at(3));
    EXPECT_EQ("stream 0 0 0", out.at(4));
    EXPECT_EQ("refrate 0 0 0", out.at(5));
}

TEST(Driver, BufferSizesMustMatchTheCode) {
    e2e::LoadScenario("one-unit.scn");
    char szCode[16];
    std::snprintf(szCode, sizeof szCode, "0x%X", IOCTL_DRV_GET_CLOCK);
    std::vector<std::string> out = DrvProbe({"raw", "0", szCode,     "20", "20",  //
                                             "raw", "0", szCode,     "20", "24",  //
                                             "raw", "0", szCode,     "16", "16",  //
                                             "raw", "0", "0x222000", "4",  "4"});
    ASSERT_EQ(4u, out.size());
    EXPECT_EQ("raw 1 20 0", out[0]);
    EXPECT_EQ("raw 0", out[1].substr(0, 5));
    EXPECT_EQ("raw 0", out[2].substr(0, 5));
    EXPECT_EQ("raw 0", out[3].substr(0, 5));
    std::vector<LogLine> controls = Controls(ReadLog());
    ASSERT_EQ(4u, controls.size());
    EXPECT_TRUE(controls[0].bOk);
    for (size_t i = 1; i < 4; ++i)
        EXPECT_FALSE(controls[i].bOk) << controls[i].text;
    EXPECT_EQ(16u, controls[2].nSize);
}

TEST(Driver, PlugAndUnplugBetweenRequests) {
    e2e::LoadScenario("slots-1-3.scn");
    EXPECT_EQ("read 1", DrvProbe({"read"}).at(0).substr(0, 6));
    e2e::Simctl({"unplug", "1", "+", "clear-log"});
    DrvProbe({"read"});
    std::vector<LogLine> log = ReadLog();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ(3, log[2].nSlot) << "slot 3 answers once slot 1 has gone";
    e2e::Simctl({"plug", "0", "+", "clear-log"});
    DrvProbe({"read"});
    log = ReadLog();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ(0, log[2].nSlot);
}

TEST(Driver, RoundTripCost) {
    e2e::LoadScenario("one-unit.scn");
    std::vector<std::string> out = DrvProbe({"bench", "2000"});
    ASSERT_EQ(1u, out.size());
    unsigned long nRounds = 0, nFailed = 1;
    double us = 0;
    ASSERT_EQ(3, std::sscanf(out[0].c_str(), "bench %lu %lf failed %lu", &nRounds, &us, &nFailed))
        << out[0];
    EXPECT_EQ(0ul, nFailed);
    EXPECT_LT(us, 20000.0);
    ::testing::Test::RecordProperty("round_trip_us", std::to_string(us));
    std::printf(
        "open-exchange-close round trip through the kernel-mode driver: %.1f us (mean of "
        "%lu)\n",
        us, nRounds);
    std::ofstream(e2e::ResultsDir() + "/round-trip.txt") << out[0] << "\n";
}

}  // namespace
