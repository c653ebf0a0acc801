// The scenario language of simctl and the request log's text form, natively.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "driver/DrvControlCodes.h"
#include "sim/simctl/Scenario.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

scenario::Units Parsed(const std::string& text) {
    scenario::Units units = {};
    std::string error;
    EXPECT_TRUE(scenario::Parse(text, units, error)) << error;
    return units;
}

std::string ParseError(const std::string& text) {
    scenario::Units units;
    std::memset(&units, 0x5A, sizeof units);
    std::string error;
    EXPECT_FALSE(scenario::Parse(text, units, error)) << text;
    for (size_t i = 0; i < sizeof units; ++i) {
        if (reinterpret_cast<const uint8_t*>(&units)[i] != 0x5A) {
            ADD_FAILURE() << "a failed parse changed the units: " << text;
            break;
        }
    }
    return error;
}

TEST(Scenario, ShippedScenariosParse) {
    for (const char* szName : {"one-unit.scn", "slots-1-3.scn", "four-units-external.scn",
                               "power-cycle.scn", "demo.scn", "no-units.scn"}) {
        std::string text = ReadFile(std::string(KP_E2E_SCENARIOS) + "/" + szName);
        ASSERT_FALSE(text.empty()) << szName;
        scenario::Units units;
        std::string error;
        EXPECT_TRUE(scenario::Parse(text, units, error)) << szName << ": " << error;
    }
}

TEST(Scenario, SectionsArePresentFactoryUnitsAndOthersAbsent) {
    scenario::Units units = Parsed("[slot 1]\n[slot 3]\n");
    sim::Unit factory;
    sim::ResetUnit(&factory);
    for (int i = 0; i < sim::kSlots; ++i) {
        factory.bPresent = i == 1 || i == 3;
        EXPECT_EQ(0, std::memcmp(&factory, &units.aUnit[i], sizeof factory)) << "slot " << i;
    }
}

TEST(Scenario, EveryKeySetsItsField) {
    scenario::Units units = Parsed(
        "# all of them\n"
        "[slot 2]  # comment after a section\n"
        "present = no\n"
        "opens = 3\n"
        "answer-index = 7\n"
        "option1 = 11\noption2 = 12\nbuffer-level = 9\noption3 = 13\nno-rate-match = 1\n"
        "offset1-enable = 0\noffset1 = -4\noffset2-enable = 0\noffset2 = 0x10\nlevel-flag = 1\n"
        "option4 = 14\noption5 = 15\noption6 = 16\noption7 = 0xFFFFFFFF\n"
        "rows = none\n"
        "row2 = 96000 1 2 3\n"
        "read-result = 0\nwrite-result = 3\nin-use = 1\nstream-active = 2\nstream-rate = 44100\n"
        "descriptor = 12 01 00 ff\n"
        "device-flag = 1\nrate = 88200\nunit-rate = 44100\ncurrent-rate = 48000\n"
        "external = 1\nlocked = 1\n"
        "offers = 44100 48000:0 192000:5\n"
        "fail = GET_CLOCK 3\n"
        "fail = IOCTL_DRV_SET_SETTINGS always\n"
        "fail = 0x222044 1\n");
    const sim::Unit& u = units.aUnit[2];
    EXPECT_EQ(0, u.bPresent);
    EXPECT_EQ(3, u.nOpensLeft);
    EXPECT_EQ(7, u.nAnswerIndex);
    const int32_t kWords[14] = {11, 12, 9, 13, 1, 0, -4, 0, 16, 1, 14, 15, 16, -1};
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(kWords[i], sim::GetWord(u.abSettings + 280 + 4 * i)) << i;
    for (int b = 0; b < 28; ++b)
        EXPECT_EQ(0, u.abSettings[b]) << "row 1 byte " << b;
    EXPECT_EQ(96000, sim::GetWord(u.abSettings + 28));
    EXPECT_EQ(3, sim::GetWord(u.abSettings + 28 + 12));
    EXPECT_EQ(0, sim::GetWord(u.abSettings + 28 + 16));
    EXPECT_EQ(0, u.nReadResult);
    EXPECT_EQ(3, u.nWriteResult);
    EXPECT_EQ(1, u.nInUse);
    EXPECT_EQ(2, u.nStreamActive);
    EXPECT_EQ(44100, u.nStreamRate);
    EXPECT_EQ(4, u.nDescLength);
    EXPECT_EQ(0xFF, u.abDescriptor[3]);
    EXPECT_EQ(0, u.abDescriptor[4]);
    EXPECT_EQ(1, u.nDeviceFlag);
    EXPECT_EQ(88200, u.nRate);
    EXPECT_EQ(44100, u.nUnitRate);
    EXPECT_EQ(48000, u.nCurrentRate);
    EXPECT_EQ(1, u.bExternal);
    EXPECT_EQ(1, u.bLocked);
    ASSERT_EQ(3, u.nOffers);
    EXPECT_EQ(44100, u.aOffer[0].nRate);
    EXPECT_EQ(1, u.aOffer[0].nAvailable);
    EXPECT_EQ(0, u.aOffer[1].nAvailable);
    EXPECT_EQ(5, u.aOffer[2].nAvailable);
    EXPECT_EQ(3, u.anFail[sim::CodeIndex(IOCTL_DRV_GET_CLOCK)]);
    EXPECT_EQ(-1, u.anFail[sim::CodeIndex(IOCTL_DRV_SET_SETTINGS)]);
    EXPECT_EQ(1, u.anFail[sim::CodeIndex(IOCTL_DRV_GET_DEVICE_FLAG)]);
}

TEST(Scenario, FormatParsesBackToTheSameUnits) {
    scenario::Units units = Parsed(
        "[slot 0]\nstream-active = 1\nstream-rate = 48000\nfail = GET_RATE always\n"
        "[slot 3]\npresent = no\nopens = 0\ndescriptor-length = 4000\noffers = none\n"
        "rows = none\nrow10 = 1 2 3 4 5 6 7\n");
    scenario::Units again = Parsed(scenario::Format(units));
    EXPECT_EQ(0, std::memcmp(&units, &again, sizeof units)) << scenario::Format(units);
}

TEST(Scenario, BadFilesNameTheLineAndChangeNothing) {
    struct Case {
        const char* szText;
        const char* szError;
    } const kCases[] = {
        {"present = yes\n", "line 1: a [slot N] section must come first"},
        {"[slot 4]\n", "line 1: expected [slot N] with N from 0 to 3"},
        {"[unit 1]\n", "line 1: expected [slot N] with N from 0 to 3"},
        {"[slot 0\n", "line 1: expected [slot N] with N from 0 to 3"},
        {"[slot 0]\n\n[slot 0]\n", "line 3: slot 0 appears twice"},
        {"[slot 0]\n# fine\nvolume = 3\n", "line 3: unknown key 'volume'"},
        {"[slot 0]\nin-use\n", "line 2: expected key = value"},
        {"[slot 0]\nin-use = many\n", "line 2: in-use: 'many' is not a number"},
        {"[slot 0]\nrate = 99999999999\n", "line 2: rate: '99999999999' is not a number"},
        {"[slot 0]\npresent = maybe\n", "line 2: present: present is yes or no"},
        {"[slot 0]\nopens = -2\n", "line 2: opens: opens is unlimited or a count"},
        {"[slot 0]\nrow11 = 1\n", "line 2: row11: rows are row1 to row10"},
        {"[slot 0]\nrow1 = 1 2 3 4 5 6 7 8\n", "line 2: row1: a row is a rate and up to six words"},
        {"[slot 0]\ndescriptor = 12 0\n", "line 2: descriptor: odd number of hex digits"},
        {"[slot 0]\ndescriptor = 12 0g\n", "line 2: descriptor: 'g' is not a hex digit"},
        {"[slot 0]\noffers = 44100:x\n", "line 2: offers: '44100:x' is not RATE or RATE:AVAILABLE"},
        {"[slot 0]\nfail = GET_VOLUME 1\n", "line 2: fail: unknown control code 'GET_VOLUME'"},
        {"[slot 0]\nfail = GET_CLOCK\n", "line 2: fail: expected CODE N, CODE always or none"},
        {"[slot 0]\nfail = GET_CLOCK -1\n", "line 2: fail: '-1' is not a count (or always)"},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(c.szError, ParseError(c.szText)) << c.szText;
}

TEST(Scenario, CodeNames) {
    uint32_t nCode = 0;
    EXPECT_TRUE(scenario::ParseCode("GET_CLOCK", nCode));
    EXPECT_EQ(IOCTL_DRV_GET_CLOCK, nCode);
    EXPECT_TRUE(scenario::ParseCode("0x2221E8", nCode));
    EXPECT_EQ(IOCTL_DRV_GET_SETTINGS, nCode);
    EXPECT_FALSE(scenario::ParseCode("0x222000", nCode));
    EXPECT_EQ("QUERY_RATE", scenario::CodeName(IOCTL_DRV_QUERY_RATE));
    EXPECT_EQ("0x222000", scenario::CodeName(0x222000));
}

TEST(Scenario, LogLinesHaveSevenColumns) {
    sim::LogEntry open = {};
    open.nSlot = 3;
    open.nKind = sim::kLogOpen;
    open.bOk = 1;
    EXPECT_EQ("3 open 1 - - - -", scenario::FormatLogEntry(open));

    sim::LogEntry control = {};
    control.nSlot = 0;
    control.nKind = sim::kLogControl;
    control.nCode = IOCTL_DRV_GET_IN_USE;
    control.nSize = 4;
    control.abAnswered[0] = 0xAB;
    EXPECT_EQ("0 control 0 0x2221F8 4 00000000 ab000000", scenario::FormatLogEntry(control));

    control.nCode = IOCTL_DRV_GET_DESCRIPTOR;
    control.nSize = 2056;
    std::string line = scenario::FormatLogEntry(control);
    EXPECT_EQ(std::string("0 control 0 0x22203C 2056 ") + std::string(680, '0') + " ab" +
                  std::string(678, '0'),
              line)
        << "the log holds the first 340 bytes of each buffer";
}

}  // namespace
