// The settings dialog at work: what opening, the slider, Apply, CLOSE, Revert, Escape, an outside
// close request and the mouse wheel show the user, and what each sends to the driver.
#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/DrvControlCodes.h"
#include "res/resource.h"
#include "sim/simctl/Scenario.h"
#include "tests/e2e/PanelSession.h"

namespace {

using e2e::Id;

constexpr int kOffBufferLevel = 288;
constexpr int kOffNoRateMatch = 296;
constexpr int kOffOffset1 = 304;
constexpr int kOffOffset2 = 312;
constexpr int kOffLevelFlag = 316;

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string Level(const e2e::LogLine& write) {
    return write.sent.substr(2 * kOffBufferLevel, 8);
}

// The settings dialog never opens: the message box is the program's only window, so uiprobe
// takes the box itself as the dialog (the text is its static 0xFFFF).
class FailedOpening : public ::testing::TestWithParam<const char*> {};

TEST_P(FailedOpening, TellsTheUserAndEnds) {
    e2e::LoadScenarioText(GetParam());
    e2e::PanelSession box("en_US.UTF-8", " ");
    ASSERT_TRUE(box.Up()) << "no message box";
    EXPECT_EQ(" ", box.Text(0)) << "caption";
    EXPECT_EQ(e2e::kNoDriverText, box.Text(0xFFFF));
    EXPECT_EQ("OK", box.Text(e2e::kIdOk));
    EXPECT_EQ("err no control 2", box->Do("text 2")) << "OK is the only button";
    EXPECT_EQ("err timeout", box->Do(std::string("wait 300 ") + e2e::kPanelTitle))
        << "no settings dialog";
    box->Ok("click 1");
    EXPECT_EQ("0", box.ExitCode());
    std::vector<e2e::LogLine> log = e2e::ReadLog();
    for (const e2e::LogLine& line : log) {
        if (line.kind == "control") {
            EXPECT_EQ(IOCTL_DRV_GET_SETTINGS, line.nCode) << "nothing but the read: " << line.text;
        }
    }
    EXPECT_FALSE(e2e::OfCode(log, IOCTL_DRV_GET_SETTINGS).empty());
}

INSTANTIATE_TEST_SUITE_P(ReadFailsOrAnswersZero, FailedOpening,
                         ::testing::Values("[slot 0]\nfail = GET_SETTINGS always\n",
                                           "[slot 0]\nread-result = 0\n"));

TEST(PanelCommands, FiguresFollowTheSliderAndApplyLightsUp) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("  256 samples ( 48000 Hz)", panel.Text(IDC_ASIO_BUF_SIZE));
    EXPECT_EQ("OOOOO", panel.Text(IDC_BAR_REAL_TIME));
    EXPECT_EQ("OOOOOO", panel.Text(IDC_BAR_STABILITY));
    EXPECT_FALSE(panel.Enabled(IDC_APPLY));

    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 8");
    EXPECT_EQ(" 1024 samples ( 48000 Hz)", panel.Text(IDC_ASIO_BUF_SIZE));
    EXPECT_EQ("OO", panel.Text(IDC_BAR_REAL_TIME));
    EXPECT_EQ("OOOOOOOOO", panel.Text(IDC_BAR_STABILITY));
    EXPECT_TRUE(panel.Enabled(IDC_APPLY));

    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 0");
    EXPECT_EQ("   48 samples ( 48000 Hz)", panel.Text(IDC_ASIO_BUF_SIZE));
    EXPECT_EQ("OOOOOOOOOO", panel.Text(IDC_BAR_REAL_TIME));
    EXPECT_EQ("O", panel.Text(IDC_BAR_STABILITY));
    EXPECT_TRUE(e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS).empty())
        << "nothing written before Apply";
}

// A unit whose record has something in every word, so that the write shows which words the
// panel changes and which it carries.
std::string RecordScenario(int nWriteResult, int nInUse) {
    char sz[512];
    std::snprintf(sz, sizeof sz,
                  "[slot 0]\n"
                  "option1 = 7\noption2 = 2\nbuffer-level = 9\noption3 = 3\nno-rate-match = 1\n"
                  "offset1-enable = 1\noffset1 = -100\noffset2-enable = 0\noffset2 = 33\n"
                  "level-flag = 0\noption4 = 4\noption5 = 5\noption6 = 6\noption7 = 8\n"
                  "row8 = 384000 11 12 13 14 15 16\n"
                  "write-result = %d\nin-use = %d\n",
                  nWriteResult, nInUse);
    return sz;
}

// The record the driver must receive after the slider went to level 2 and the check box was
// ticked: rows and option words as read, offsets clamped to +-3, level flag of level 2.
std::string ExpectedRecord(const std::string& scenarioText) {
    scenario::Units units;
    std::string error;
    EXPECT_TRUE(scenario::Parse(scenarioText, units, error)) << error;
    uint8_t* p = units.aUnit[0].abSettings;
    sim::PutWord(p + kOffBufferLevel, 2);
    sim::PutWord(p + kOffNoRateMatch, 0);
    sim::PutWord(p + kOffOffset1, -3);
    sim::PutWord(p + kOffOffset2, 0);
    sim::PutWord(p + kOffLevelFlag, 1);
    return e2e::Hex(p, sim::kSettingsBytes);
}

struct WriteCase {
    int nWriteResult;
    int nInUse;
    const char* szBox;  // nullptr: no message
};

class ApplyResult : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ApplyResult, WritesTheRecordAndSaysWhatItNeeds) {
    const WriteCase& c = GetParam();
    std::string text = RecordScenario(c.nWriteResult, c.nInUse);
    e2e::LoadScenarioText(text);
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("enabled=1 visible=1 checked=0",
              panel->Ok("state " + Id(IDC_BN_MATCH_ASIO_RATE)).substr(0, 29));
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 2");
    panel->Ok("click " + Id(IDC_BN_MATCH_ASIO_RATE));
    e2e::Simctl({"clear-log"});
    double dStart = Now();
    panel->Ok("click " + Id(IDC_APPLY));
    double dTook = Now() - dStart;
    if (c.szBox) {
        EXPECT_EQ(e2e::OkBox(c.szBox), panel->Ok("msgbox 5000"));
        panel->Ok("answer 1");
    } else {
        EXPECT_TRUE(panel.NoMessageBox());
    }
    EXPECT_FALSE(panel.Enabled(IDC_APPLY));
    EXPECT_EQ("focused=1", panel->Ok("state 1").substr(30, 9)) << "the focus moved to CLOSE";

    std::vector<e2e::LogLine> log = e2e::ReadLog();
    std::vector<e2e::LogLine> writes = e2e::OfCode(log, IOCTL_DRV_SET_SETTINGS);
    ASSERT_EQ(1u, writes.size());
    EXPECT_EQ(0, writes[0].nSlot);
    EXPECT_EQ(340u, writes[0].nSize);
    std::string record = ExpectedRecord(text);
    EXPECT_EQ(record, writes[0].sent.substr(0, 2 * sim::kSettingsBytes));
    EXPECT_EQ(record + e2e::Word(c.nWriteResult), writes[0].answered);

    std::vector<e2e::LogLine> queries = e2e::OfCode(log, IOCTL_DRV_GET_IN_USE);
    if (c.nWriteResult == 1) {
        // The in-use query comes right after the write, 100 ms later.
        size_t nWrite = 0;
        while (log[nWrite].nCode != IOCTL_DRV_SET_SETTINGS)
            ++nWrite;
        size_t nNext = nWrite + 1;
        while (nNext < log.size() && log[nNext].kind != "control")
            ++nNext;
        ASSERT_LT(nNext, log.size());
        EXPECT_EQ(IOCTL_DRV_GET_IN_USE, log[nNext].nCode) << log[nNext].text;
        EXPECT_EQ(1u, queries.size());
        EXPECT_GE(dTook, 0.1) << "Apply waits before it asks";
    } else {
        EXPECT_TRUE(queries.empty()) << "no in-use query after result " << c.nWriteResult;
    }
    EXPECT_EQ("0", panel.Close(c.nInUse ? e2e::OkBox(e2e::kInUseText) : ""));
}

INSTANTIATE_TEST_SUITE_P(ZeroToThree, ApplyResult,
                         ::testing::Values(WriteCase{0, 0, nullptr},
                                           WriteCase{1, 1, e2e::kInUseText},
                                           WriteCase{1, 0, nullptr},
                                           WriteCase{2, 0, e2e::kPowerCycleText},
                                           WriteCase{3, 0, e2e::kPowerCycleText}),
                         [](const ::testing::TestParamInfo<WriteCase>& info) {
                             return "Result" + std::to_string(info.param.nWriteResult) +
                                    (info.param.nInUse ? "InUse" : "Idle");
                         });

TEST(PanelCommands, CloseAfterAChangeAnsweredNoWritesNothing) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 8");
    panel->Ok("click 1");
    EXPECT_EQ(e2e::YesNoBox(e2e::kAskApplyText), panel->Ok("msgbox 5000"));
    panel->Ok("answer 7");
    EXPECT_EQ("0", panel.ExitCode());
    EXPECT_TRUE(e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS).empty());
}

TEST(PanelCommands, CloseAfterAChangeAnsweredYesWritesAndAsksForAPowerCycle) {
    e2e::LoadScenario("power-cycle.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 8");
    panel->Ok("click 1");
    EXPECT_EQ(e2e::YesNoBox(e2e::kAskApplyText), panel->Ok("msgbox 5000"));
    panel->Ok("answer 6");
    EXPECT_EQ(e2e::OkBox(e2e::kPowerCycleText), panel->Ok("msgbox 5000"));
    panel->Ok("answer 1");
    EXPECT_EQ("0", panel.ExitCode());
    std::vector<e2e::LogLine> writes = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS);
    ASSERT_EQ(1u, writes.size());
    EXPECT_EQ(e2e::Word(8), Level(writes[0]));
}

TEST(PanelCommands, CloseWithoutChangesWarnsWhileTheUnitIsInUse) {
    e2e::LoadScenarioText("[slot 0]\nin-use = 1\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("0", panel.Close(e2e::OkBox(e2e::kInUseText))) << "no question, only the warning";
    std::vector<e2e::LogLine> log = e2e::ReadLog();
    EXPECT_EQ(1u, e2e::OfCode(log, IOCTL_DRV_GET_IN_USE).size());
    EXPECT_TRUE(e2e::OfCode(log, IOCTL_DRV_SET_SETTINGS).empty());
}

TEST(PanelCommands, SliderMovedAwayAndBackClosesWithoutAsking) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 8");
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 5");
    EXPECT_TRUE(panel.Enabled(IDC_APPLY)) << "Apply only shows that something was touched";
    EXPECT_EQ("0", panel.Close());
    EXPECT_TRUE(e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS).empty());
}

TEST(PanelCommands, RevertAfterApplyReturnsToTheAppliedLevel) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 7");
    panel->Ok("click " + Id(IDC_APPLY));
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 2");
    panel->Ok("click " + Id(e2e::kIdCancel));
    EXPECT_EQ(7, panel.Slider(IDC_SLD_BUFFER).nPos);
    EXPECT_FALSE(panel.Enabled(IDC_APPLY));
    std::vector<e2e::LogLine> writes = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS);
    ASSERT_EQ(1u, writes.size()) << "Revert writes nothing";
    EXPECT_EQ(e2e::Word(7), Level(writes[0]));
    EXPECT_EQ("0", panel.Close()) << "the applied level is the saved one: nothing to ask";
}

TEST(PanelCommands, EscapeRevertsAndKeepsTheDialogOpen) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 2");
    panel->Ok("key escape");
    EXPECT_EQ(e2e::kPanelTitle, panel.Text(0)) << "still open";
    EXPECT_EQ(5, panel.Slider(IDC_SLD_BUFFER).nPos);
    EXPECT_FALSE(panel.Enabled(IDC_APPLY));
    EXPECT_EQ("0", panel.Close()) << "nothing left to ask about";
    EXPECT_TRUE(e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS).empty());
}

// Wine's taskkill without /f posts WM_CLOSE to the program's top-level windows, as a taskbar's
// close command does.
TEST(PanelCommands, OutsideCloseRequestRevertsAndKeepsTheDialogOpen) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 2");
    e2e::RunResult taskkill = e2e::Wine("taskkill", {"/pid", panel.Pid()}, 30);
    ASSERT_EQ(0, taskkill.nStatus) << taskkill.Report();
    panel->Ok("idle");
    EXPECT_EQ(e2e::kPanelTitle, panel.Text(0)) << "still open";
    EXPECT_EQ(5, panel.Slider(IDC_SLD_BUFFER).nPos);
    EXPECT_FALSE(panel.Enabled(IDC_APPLY));
    EXPECT_EQ("0", panel.Close());
    EXPECT_TRUE(e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS).empty());
}

// Wine's own trackbar does nothing with the wheel; its lists would change their selection,
// so they are what shows that the panel drops the wheel.
TEST(PanelCommands, MouseWheelChangesNothing) {
    e2e::LoadScenarioText("[slot 0]\n[slot 1]\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    e2e::SliderState slider = panel.Slider(IDC_SLD_BUFFER);
    e2e::ComboState devices = panel.Combo(IDC_CMB_DEV);
    e2e::ComboState rates = panel.Combo(IDC_CMB_FREQ);
    ASSERT_EQ(2, devices.nCount);
    ASSERT_EQ(0, devices.nSel);
    ASSERT_EQ(48000, rates.SelectedData());
    e2e::Simctl({"clear-log"});
    panel->Ok("wheel " + Id(IDC_SLD_BUFFER) + " 3");
    panel->Ok("wheel " + Id(IDC_SLD_BUFFER) + " -3");
    panel->Ok("wheel " + Id(IDC_CMB_DEV) + " -1");
    panel->Ok("wheel " + Id(IDC_CMB_FREQ) + " -1");
    panel->Ok("wheel " + Id(IDC_CMB_FREQ) + " 1");
    EXPECT_EQ(slider.nPos, panel.Slider(IDC_SLD_BUFFER).nPos);
    EXPECT_EQ(0, panel.Combo(IDC_CMB_DEV).nSel);
    EXPECT_EQ(48000, panel.Combo(IDC_CMB_FREQ).SelectedData());
    EXPECT_FALSE(panel.Enabled(IDC_APPLY));
    std::vector<e2e::LogLine> log = e2e::ReadLog();
    EXPECT_TRUE(e2e::OfCode(log, IOCTL_DRV_SET_RATE).empty());
    EXPECT_TRUE(e2e::OfCode(log, IOCTL_DRV_SET_SETTINGS).empty());
    EXPECT_EQ("0", panel.Close());
}

TEST(PanelCommands, ApplyWithEveryUnitUnpluggedEndsTheProgram) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 8");
    e2e::Simctl({"unplug", "0"});
    panel->Ok("click " + Id(IDC_APPLY));
    EXPECT_EQ(e2e::OkBox(e2e::kNoDriverText), panel->Ok("msgbox 5000"));
    panel->Ok("answer 1");
    EXPECT_EQ("0", panel.ExitCode());
    EXPECT_TRUE(e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS).empty());
}

}  // namespace
