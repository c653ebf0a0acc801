// The panel against a driver that misbehaves: requests that fail in the middle of a walk, units
// that vanish between the presence probe and the exchange, every unit gone at the worst moment,
// answers with absurd values, and a driver that takes its time. Each case checks what the user
// sees and what reached the driver.
#include <time.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "driver/DrvControlCodes.h"
#include "res/resource.h"
#include "sim/simctl/Scenario.h"
#include "tests/e2e/PanelSession.h"

namespace {

using e2e::Id;

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Requests that change something in a unit.
void ExpectNothingChanged(const std::vector<e2e::LogLine>& log) {
    EXPECT_TRUE(e2e::OfCode(log, IOCTL_DRV_SET_SETTINGS).empty());
    EXPECT_TRUE(e2e::OfCode(log, IOCTL_DRV_SET_RATE).empty());
}

// "%5d samples (%6d Hz)" with any size, for the given rate.
bool FiguresFor(const std::string& text, const std::string& rate) {
    return std::regex_match(text, std::regex(" *-?[0-9]+ samples \\( *" + rate + " Hz\\)"));
}

// The rate list's selection and items can be left mid-change by a tick; waits for a steady
// state in which it selects nRate.
e2e::ComboState WaitForRate(e2e::PanelSession& panel, long nRate, int nMs = 3000) {
    return e2e::ParseCombo(panel.WaitFor(
        "combo " + Id(IDC_CMB_FREQ),
        [nRate](const std::string& a) { return e2e::ParseCombo(a).SelectedData() == nRate; }, nMs));
}

// ---- requests that fail in the middle of a walk ------------------------------------------

struct SecondWrite {
    int nResult;
    const char* szBox;  // nullptr: no message
};

class FirstWriteFails : public ::testing::TestWithParam<SecondWrite> {};

TEST_P(FirstWriteFails, ApplyStillWritesTheSecondUnitAndReportsItsResult) {
    const SecondWrite& c = GetParam();
    e2e::LoadScenarioText(
        "[slot 0]\nwrite-result = 2\nfail = SET_SETTINGS 1\n[slot 1]\nwrite-result = " +
        std::to_string(c.nResult) + "\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 7");
    e2e::Simctl({"clear-log"});
    panel->Ok("click " + Id(IDC_APPLY));
    if (c.szBox) {
        EXPECT_EQ(e2e::OkBox(c.szBox), panel->Ok("msgbox 5000"));
        panel->Ok("answer 1");
    } else {
        EXPECT_TRUE(panel.NoMessageBox());
    }
    EXPECT_EQ(e2e::kPanelTitle, panel.Text(0)) << "the dialog stays open";
    std::vector<e2e::LogLine> writes = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS);
    ASSERT_EQ(2u, writes.size());
    EXPECT_EQ(0, writes[0].nSlot);
    EXPECT_FALSE(writes[0].bOk);
    EXPECT_EQ(1, writes[1].nSlot);
    EXPECT_TRUE(writes[1].bOk);
    EXPECT_EQ(writes[0].sent.substr(0, 2 * sim::kSettingsBytes),
              writes[1].sent.substr(0, 2 * sim::kSettingsBytes))
        << "a failed request leaves the buffer as it was";
    EXPECT_EQ(e2e::Word(7), writes[1].sent.substr(2 * 288, 8));
    EXPECT_EQ("0", panel.Close()) << "applied: nothing left to ask";
}

INSTANTIATE_TEST_SUITE_P(SecondAnswers, FirstWriteFails,
                         ::testing::Values(SecondWrite{0, nullptr},
                                           SecondWrite{2, e2e::kPowerCycleText}),
                         [](const ::testing::TestParamInfo<SecondWrite>& info) {
                             return "Result" + std::to_string(info.param.nResult);
                         });

TEST(FaultInjection, FailingDescriptorPassesTheReferenceToTheNextUnit) {
    e2e::LoadScenarioText(
        "[slot 0]\nrate = 44100\nfail = GET_DESCRIPTOR always\n[slot 1]\nrate = 96000\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("  512 samples ( 96000 Hz)", panel.Text(IDC_ASIO_BUF_SIZE))
        << "the rate of the second unit";
    e2e::Simctl({"clear-log"});
    usleep(400000);
    std::vector<e2e::LogLine> log = e2e::ReadLog();
    for (const e2e::LogLine& line : e2e::OfCode(log, IOCTL_DRV_GET_RATE))
        EXPECT_EQ(1, line.nSlot) << "no rate asked of a unit whose descriptor failed";
    std::vector<e2e::LogLine> descriptors = e2e::OfCode(log, IOCTL_DRV_GET_DESCRIPTOR);
    ASSERT_FALSE(descriptors.empty());
    EXPECT_EQ(0, descriptors[0].nSlot);
    EXPECT_FALSE(descriptors[0].bOk);

    e2e::Simctl({"set", "0", "fail=none"});
    std::string text = panel.WaitFor("text " + Id(IDC_ASIO_BUF_SIZE), [](const std::string& a) {
        return a == "  256 samples ( 44100 Hz)";
    });
    EXPECT_EQ("  256 samples ( 44100 Hz)", text) << "the first unit is the reference again";
    ExpectNothingChanged(e2e::ReadLog());
    EXPECT_EQ("0", panel.Close());
}

TEST(FaultInjection, FailingClockQueryKeepsTheListsThenRecovers) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    ASSERT_EQ(48000, panel.Combo(IDC_CMB_FREQ).SelectedData());
    std::string figures = panel.Text(IDC_ASIO_BUF_SIZE);
    e2e::Simctl({"clear-log", "+", "fail", "0", "GET_CLOCK", "5", "+", "set", "0",
                 "current-rate=96000", "unit-rate=96000"});
    e2e::ComboState rates = panel.Combo(IDC_CMB_FREQ);
    EXPECT_EQ(48000, rates.SelectedData()) << "a failed clock query changes nothing";
    EXPECT_EQ(4, rates.nCount);
    EXPECT_TRUE(panel.Enabled(IDC_CMB_FREQ));
    EXPECT_EQ(figures, panel.Text(IDC_ASIO_BUF_SIZE));

    rates = WaitForRate(panel, 96000, 4000);
    EXPECT_EQ(96000, rates.SelectedData()) << "recovers once the clock answers";
    EXPECT_EQ(4, rates.nCount);
    std::vector<e2e::LogLine> log = e2e::ReadLog();
    int nFailed = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].kind != "control" || log[i].nCode != IOCTL_DRV_GET_CLOCK || log[i].bOk)
            continue;
        ++nFailed;
        for (size_t j = i + 1; j < log.size() && log[j].nCode != IOCTL_DRV_GET_CLOCK; ++j)
            EXPECT_NE(IOCTL_DRV_QUERY_RATE, log[j].nCode) << "the tick stops at the clock";
    }
    EXPECT_EQ(5, nFailed);
    ExpectNothingChanged(log);
    EXPECT_EQ("0", panel.Close());
}

// ---- units that vanish between the probe and the exchange -----------------------------------

// At start the presence probe and the read's probe each open slot 0 once; the read's exchange
// then finds the unit gone.
TEST(FaultInjection, UnitGoneBeforeTheReadHandsOverToTheNextUnit) {
    e2e::LoadScenarioText("[slot 0]\nopens = 2\nbuffer-level = 2\n[slot 1]\nbuffer-level = 8\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ(8, panel.Slider(IDC_SLD_BUFFER).nPos) << "the record of the second unit";
    e2e::ComboState devices = panel.Combo(IDC_CMB_DEV);
    EXPECT_EQ(1, devices.nCount);
    EXPECT_EQ(1, devices.SelectedData());
    std::vector<e2e::LogLine> reads = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_GET_SETTINGS);
    ASSERT_EQ(1u, reads.size());
    EXPECT_EQ(1, reads[0].nSlot);
    EXPECT_EQ("0", panel.Close());
    ExpectNothingChanged(e2e::ReadLog());
}

TEST(FaultInjection, OnlyUnitGoneBeforeTheReadEndsTheProgram) {
    e2e::LoadScenarioText("[slot 0]\nopens = 2\n");
    e2e::PanelSession box("en_US.UTF-8", " ");
    ASSERT_TRUE(box.Up()) << "no message box";
    EXPECT_EQ(e2e::kNoDriverText, box.Text(0xFFFF));
    box->Ok("click 1");
    EXPECT_EQ("0", box.ExitCode());
    for (const e2e::LogLine& line : e2e::ReadLog())
        EXPECT_NE("control", line.kind) << "nothing reached the unit: " << line.text;
}

// Apply opens slot 0 three times: the presence probe, the write's probe and its exchange. The
// timer is held off (the rate list dropped down) while the unit is given its last two opens.
void ApplyWithSlotZeroVanishing(e2e::PanelSession& panel) {
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 7");
    ASSERT_EQ(0u, panel->Do("drop " + Id(IDC_CMB_FREQ) + " 1").rfind("ok", 0));
    e2e::Simctl({"set", "0", "opens=2", "+", "clear-log"});
    panel->Ok("drop " + Id(IDC_CMB_FREQ) + " 0");
    panel->Ok("click " + Id(IDC_APPLY));
}

TEST(FaultInjection, UnitGoneDuringApplyIsNotWrittenAndTheOtherIs) {
    e2e::LoadScenarioText("[slot 0]\nwrite-result = 0\n[slot 1]\nwrite-result = 2\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    ApplyWithSlotZeroVanishing(panel);
    EXPECT_EQ(e2e::OkBox(e2e::kPowerCycleText), panel->Ok("msgbox 5000"))
        << "the result of the unit that took the record";
    panel->Ok("answer 1");
    std::vector<e2e::LogLine> writes = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS);
    ASSERT_EQ(1u, writes.size());
    EXPECT_EQ(1, writes[0].nSlot);
    EXPECT_EQ(e2e::Word(7), writes[0].sent.substr(2 * 288, 8));
    e2e::ComboState devices =
        e2e::ParseCombo(panel.WaitFor("combo " + Id(IDC_CMB_DEV), [](const std::string& a) {
            return e2e::ParseCombo(a).nCount == 1;
        }));
    EXPECT_EQ(1, devices.SelectedData()) << "the remaining unit takes over";
    EXPECT_EQ("0", panel.Close());
}

TEST(FaultInjection, OnlyUnitGoneDuringApplyEndsTheProgram) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    ApplyWithSlotZeroVanishing(panel);
    EXPECT_EQ(e2e::OkBox(e2e::kNoDriverText), panel->Ok("msgbox 5000"));
    panel->Ok("answer 1");
    EXPECT_EQ("0", panel.ExitCode());
    std::vector<e2e::LogLine> log = e2e::ReadLog();
    EXPECT_TRUE(e2e::OfCode(log, IOCTL_DRV_SET_SETTINGS).empty()) << "nothing written";
}

// ---- every unit gone at the worst moment --------------------------------------------------

TEST(FaultInjection, EveryUnitGoneBeforeApplyEndsTheProgram) {
    e2e::LoadScenarioText("[slot 0]\n[slot 2]\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 8");
    e2e::Simctl({"unplug", "0", "+", "unplug", "2"});
    panel->Ok("click " + Id(IDC_APPLY));
    EXPECT_EQ(e2e::OkBox(e2e::kNoDriverText), panel->Ok("msgbox 5000"));
    panel->Ok("answer 1");
    EXPECT_EQ("0", panel.ExitCode());
    EXPECT_TRUE(e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS).empty());
}

TEST(FaultInjection, EveryUnitGoneWhileCloseAsksEndsTheProgramWithoutWriting) {
    e2e::LoadScenarioText("[slot 0]\n[slot 1]\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 8");
    panel->Ok("click 1");
    EXPECT_EQ(e2e::YesNoBox(e2e::kAskApplyText), panel->Ok("msgbox 5000"));
    e2e::Simctl({"unplug", "0", "+", "unplug", "1"});
    panel->Ok("answer 6");
    EXPECT_EQ(e2e::OkBox(e2e::kNoDriverText), panel->Ok("msgbox 5000"));
    panel->Ok("answer 1");
    EXPECT_EQ("0", panel.ExitCode());
    EXPECT_TRUE(e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS).empty());
}

// ---- absurd answers --------------------------------------------------------------------------

struct LevelCase {
    int nLevel;
    int nClamped;
};

class AbsurdLevel : public ::testing::TestWithParam<LevelCase> {};

TEST_P(AbsurdLevel, SliderClampedFiguresShownAndCloseAsks) {
    const LevelCase& c = GetParam();
    e2e::LoadScenarioText("[slot 0]\nbuffer-level = " + std::to_string(c.nLevel) + "\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    e2e::SliderState slider = panel.Slider(IDC_SLD_BUFFER);
    EXPECT_EQ(0, slider.nMin);
    EXPECT_EQ(9, slider.nMax);
    EXPECT_EQ(c.nClamped, slider.nPos);
    std::string figures = panel.Text(IDC_ASIO_BUF_SIZE);
    RecordProperty("figures", figures);
    EXPECT_TRUE(FiguresFor(figures, "48000")) << figures;
    EXPECT_EQ(std::string(10 - c.nClamped, 'O'), panel.Text(IDC_BAR_REAL_TIME));
    EXPECT_EQ(std::string(c.nClamped + 1, 'O'), panel.Text(IDC_BAR_STABILITY));
    EXPECT_FALSE(panel.Enabled(IDC_APPLY));
    usleep(400000);
    EXPECT_EQ(figures, panel.Text(IDC_ASIO_BUF_SIZE)) << "a tick shows the same";
    // What the clamped level shows when the user picks it.
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " " + std::to_string(c.nClamped));
    EXPECT_EQ(panel.Text(IDC_ASIO_BUF_SIZE), figures);
    panel->Ok("click 1");
    EXPECT_EQ(e2e::YesNoBox(e2e::kAskApplyText), panel->Ok("msgbox 5000"))
        << "the stored level differs from the one read";
    panel->Ok("answer 7");
    EXPECT_EQ("0", panel.ExitCode());
    ExpectNothingChanged(e2e::ReadLog());
}

INSTANTIATE_TEST_SUITE_P(OutOfRange, AbsurdLevel,
                         ::testing::Values(LevelCase{99, 9}, LevelCase{-5, 0}),
                         [](const ::testing::TestParamInfo<LevelCase>& info) {
                             return info.param.nLevel < 0
                                        ? std::string("Minus5")
                                        : "Plus" + std::to_string(info.param.nLevel);
                         });

struct AbsurdCase {
    const char* szName;
    const char* szScenario;
    const char* szRate;     // the rate the figures show
    const char* szFigures;  // the whole text, where the size is fixed
};

class AbsurdAnswer : public ::testing::TestWithParam<AbsurdCase> {};

TEST_P(AbsurdAnswer, PanelStaysUpWithWellFormedTextsAndWritesNothing) {
    e2e::LoadScenarioText(GetParam().szScenario);
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    usleep(800000);
    EXPECT_EQ(e2e::kPanelTitle, panel.Text(0));
    std::string figures = panel.Text(IDC_ASIO_BUF_SIZE);
    RecordProperty("figures", figures);
    EXPECT_TRUE(FiguresFor(figures, GetParam().szRate)) << figures;
    if (GetParam().szFigures) {
        EXPECT_EQ(GetParam().szFigures, figures);
    }
    EXPECT_EQ("OOOOO", panel.Text(IDC_BAR_REAL_TIME));
    EXPECT_EQ(5, panel.Slider(IDC_SLD_BUFFER).nPos);
    std::vector<e2e::LogLine> log = e2e::ReadLog();
    ExpectNothingChanged(log);
    EXPECT_FALSE(e2e::OfCode(log, IOCTL_DRV_GET_CLOCK).empty()) << "the ticks go on";
    EXPECT_EQ("0", panel.Close());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AbsurdAnswer,
    ::testing::Values(
        AbsurdCase{"StreamRateMax", "[slot 0]\nstream-active = 1\nstream-rate = 2147483647\n",
                   "2147483647", nullptr},
        AbsurdCase{"StreamRateMinus1", "[slot 0]\nstream-active = 1\nstream-rate = -1\n", "-1",
                   "  256 samples (    -1 Hz)"},
        AbsurdCase{"DescriptorLength5000",
                   "[slot 0]\ndescriptor-length = 5000\n[slot 1]\ndescriptor-length = 5000\n",
                   "48000", "  256 samples ( 48000 Hz)"},
        AbsurdCase{"DescriptorLengthMinus1",
                   "[slot 0]\ndescriptor-length = -1\n[slot 1]\ndescriptor-length = -1\n", "48000",
                   "  256 samples ( 48000 Hz)"},
        AbsurdCase{"DescriptorLengthDiffers", "[slot 0]\n[slot 1]\ndescriptor-length = 5000\n",
                   "48000", "  256 samples ( 48000 Hz)"},
        AbsurdCase{"ClockRatesMax",
                   "[slot 0]\ncurrent-rate = 2147483647\nunit-rate = 2147483647\nexternal = 1\n"
                   "locked = 1\n",
                   "48000", "  256 samples ( 48000 Hz)"},
        AbsurdCase{"ClockRatesNegative", "[slot 0]\ncurrent-rate = -1\nunit-rate = -2147483648\n",
                   "48000", "  256 samples ( 48000 Hz)"}),
    [](const ::testing::TestParamInfo<AbsurdCase>& info) { return info.param.szName; });

TEST(FaultInjection, HugeAndNegativeAvailabilityWordsCountAsOffered) {
    e2e::LoadScenarioText(
        "[slot 0]\noffers = 44100:0x7FFFFFFF 48000:-1 96000:0 192000:-2147483648\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("1 3 0\t44100\t 44100 Hz\t48000\t 48000 Hz\t192000\t192000 Hz",
              panel->Ok("combo " + Id(IDC_CMB_FREQ)));
    ExpectNothingChanged(e2e::ReadLog());
    EXPECT_EQ("0", panel.Close());
}

TEST(FaultInjection, RunningRateOutsideEveryItemSelectsNone) {
    e2e::LoadScenarioText("[slot 0]\ncurrent-rate = 2147483647\nunit-rate = 2147483647\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    e2e::ComboState rates = panel.Combo(IDC_CMB_FREQ);
    EXPECT_EQ(-1, rates.nSel);
    EXPECT_EQ(4, rates.nCount);
    EXPECT_EQ("0", panel.Close());
}

// ---- a slow driver ------------------------------------------------------------------------

TEST(FaultInjection, SlowDriverStillClosesCleanlyAndWritesOnlyOnYes) {
    e2e::LoadScenarioText("[slot 0]\nanswer-delay = 150\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("  256 samples ( 48000 Hz)", panel.Text(IDC_ASIO_BUF_SIZE));
    e2e::Simctl({"clear-log"});
    usleep(3000000);
    size_t nTicks = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_GET_CLOCK).size();
    EXPECT_GE(nTicks, 1u) << "the ticks go on";
    EXPECT_LE(nTicks, 3u) << "each tick waits for about a dozen slow answers";

    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 8", 30);
    double dStart = Now();
    panel->Ok("click 1", 30);
    EXPECT_EQ(e2e::YesNoBox(e2e::kAskApplyText), panel->Ok("msgbox 10000", 30));
    panel->Ok("answer 7", 30);
    EXPECT_EQ("0", panel.ExitCode());
    double dTook = Now() - dStart;
    EXPECT_LT(dTook, 8.0) << "CLOSE waits for one tick at most";
    ExpectNothingChanged(e2e::ReadLog());
}

TEST(FaultInjection, SlowDriverWritesOnceOnYes) {
    e2e::LoadScenarioText("[slot 0]\nanswer-delay = 200\nwrite-result = 0\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 3", 30);
    double dStart = Now();
    panel->Ok("click 1", 30);
    EXPECT_EQ(e2e::YesNoBox(e2e::kAskApplyText), panel->Ok("msgbox 15000", 30));
    panel->Ok("answer 6", 30);
    EXPECT_EQ("0", panel.ExitCode());
    EXPECT_LT(Now() - dStart, 12.0);
    std::vector<e2e::LogLine> writes = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS);
    ASSERT_EQ(1u, writes.size());
    EXPECT_EQ(e2e::Word(3), writes[0].sent.substr(2 * 288, 8));
}

}  // namespace
