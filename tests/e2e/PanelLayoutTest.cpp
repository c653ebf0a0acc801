// The shell and the layout as the user meets them: the no-device dialog's keys, a second start,
// and the settings dialog's controls where IDD_DRVPROP puts them, in screen pixels.
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/PanelSession.h"

namespace {

// The dialog manager's rounding of dialog units into pixels.
int MulDiv(int n, int nNumerator, int nDenominator) {
    return (n * nNumerator + nDenominator / 2) / nDenominator;
}

TEST(PanelShell, NoDeviceDialogClosesWithEnterOnOk) {
    e2e::LoadScenario("no-units.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("enabled=1 visible=1 checked=0 focused=1", panel->Ok("state 1").substr(0, 39))
        << "OK has the focus after opening";
    EXPECT_EQ("0", panel.PressClosingKey("enter"));
    EXPECT_TRUE(e2e::ReadLog().empty()) << "no unit, no request";
}

TEST(PanelShell, NoDeviceDialogClosesWithEscapeWhereverTheFocusIs) {
    e2e::LoadScenario("no-units.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("focus " + e2e::Id(IDC_README));
    EXPECT_EQ("0", panel.PressClosingKey("escape"));
}

TEST(PanelShell, SecondStartLeavesTheNoDeviceDialogRunning) {
    e2e::LoadScenario("no-units.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    // Same language: the second instance looks for the title in its own language.
    e2e::RunResult second = e2e::Wine(e2e::PanelExe(), {}, 30, {"LC_ALL=en_US.UTF-8"});
    EXPECT_EQ(0, second.nStatus) << "the second instance ends by itself, showing nothing\n"
                                 << second.Report();
    EXPECT_EQ(e2e::kPanelTitle, panel.Text(0));
    EXPECT_EQ("enabled=1 visible=1", panel->Ok("state 1").substr(0, 19));
    EXPECT_EQ("0", panel.PressClosingKey("enter")) << "the first instance ran on undisturbed";
}

// Needs uiprobe to tell which window is in front ("front").
TEST(PanelShell, SecondStartBringsTheNoDeviceDialogToTheFront) {
    e2e::LoadScenario("no-units.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    std::string front = panel->Do("front");
    if (front.rfind("err unknown command", 0) == 0)
        GTEST_SKIP() << "uiprobe cannot tell which window is in front";
    ASSERT_EQ("ok 1", front);
    e2e::UiProbe other;
    other.Ok("run " + e2e::WinPath(e2e::CrossDir() + "/tests/harness/uifixture/uifixture.exe"));
    other.Ok("wait 10000 uiprobe fixture", 30);
    ASSERT_EQ("ok 0", panel->Do("front")) << "another program's window has come to the front";
    e2e::RunResult second = e2e::Wine(e2e::PanelExe(), {}, 30, {"LC_ALL=en_US.UTF-8"});
    EXPECT_EQ(0, second.nStatus) << second.Report();
    EXPECT_EQ("ok 1", panel->Do("front"));
    EXPECT_EQ("0", panel.PressClosingKey("enter"));
}

// Template 187 in dialog units; the combo boxes' heights include their lists and are left out.
struct Place {
    int nId;
    int nX, nY, nWidth, nHeight;
};

const Place kPlaces[] = {
    {IDC_CMB_DEV, 18, 5, 102, 0},
    {IDC_CMB_FREQ, 78, 23, 60, 0},
    {IDC_GRP_BUF_SIZE, 12, 57, 204, 80},
    {IDC_ABB_MIN, 17, 72, 30, 8},
    {IDC_SLD_BUFFER, 49, 65, 130, 18},
    {IDC_ABB_MAX, 185, 72, 30, 8},
    {IDC_GRP_PERFORMANCE, 26, 98, 177, 33},
    {IDC_REAL_TIME_LABEL, 34, 109, 62, 8},
    {IDC_STABILITY_LABEL, 34, 119, 62, 8},
    {IDC_BAR_REAL_TIME, 103, 109, 89, 8},
    {IDC_BAR_STABILITY, 103, 119, 89, 8},
    {IDC_GRP_ASIO, 12, 140, 204, 62},
    {IDC_ASIO_BUF_LABEL, 23, 153, 175, 8},
    {IDC_ASIO_BUF_SIZE, 41, 163, 105, 12},
    {IDC_ASIO_CREDIT, 89, 180, 126, 19},
    {IDC_GRP_WIN_SOUND, 12, 206, 204, 27},
    {IDC_BN_MATCH_ASIO_RATE, 23, 218, 192, 10},
    {IDC_DEFAULT, 12, 240, 54, 14},
    {e2e::kIdCancel, 102, 240, 54, 14},
    {IDC_APPLY, 162, 240, 54, 14},
    {IDC_DRV_VERSION, 7, 263, 215, 8},
    {IDC_COPYRIGHT, 7, 275, 215, 8},
    {IDC_README, 7, 290, 90, 14},
    {e2e::kIdOk, 162, 290, 60, 14},
};

TEST(PanelLayout, ControlsSitWhereTheTemplatePutsThem) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    e2e::ScreenRect readme = panel.Rect(IDC_README);
    e2e::ScreenRect close = panel.Rect(e2e::kIdOk);
    e2e::ScreenRect apply = panel.Rect(IDC_APPLY);
    e2e::ScreenRect revert = panel.Rect(e2e::kIdCancel);
    e2e::ScreenRect byDefault = panel.Rect(IDC_DEFAULT);

    // What the user sees at a glance: the bottom row and the row of commands.
    EXPECT_GT(close.nLeft, readme.nRight) << "CLOSE right of the readme button";
    EXPECT_EQ(close.nTop, readme.nTop);
    EXPECT_GT(revert.nLeft, byDefault.nRight) << "Revert right of Default";
    EXPECT_GT(apply.nLeft, revert.nRight) << "Apply right of Revert";
    EXPECT_EQ(byDefault.nTop, revert.nTop);
    EXPECT_EQ(revert.nTop, apply.nTop);
    EXPECT_LT(apply.nBottom, close.nTop) << "commands above CLOSE";
    EXPECT_EQ(apply.nLeft, close.nLeft) << "one right-hand column";

    // The dialog's base units and client origin, from two pairs of controls; every other
    // control must then sit at its own template place.
    int nBaseX = MulDiv(4 * (close.nLeft - readme.nLeft), 1, 162 - 7);
    int nBaseY = MulDiv(8 * (close.nTop - apply.nTop), 1, 290 - 240);
    ASSERT_GT(nBaseX, 0);
    ASSERT_GT(nBaseY, 0);
    int nOriginX = readme.nLeft - MulDiv(7, nBaseX, 4);
    int nOriginY = close.nTop - MulDiv(290, nBaseY, 8);
    for (const Place& place : kPlaces) {
        e2e::ScreenRect rect = panel.Rect(place.nId);
        SCOPED_TRACE("control " + e2e::Id(place.nId));
        EXPECT_NEAR(nOriginX + MulDiv(place.nX, nBaseX, 4), rect.nLeft, 1);
        EXPECT_NEAR(nOriginY + MulDiv(place.nY, nBaseY, 8), rect.nTop, 1);
        EXPECT_NEAR(MulDiv(place.nWidth, nBaseX, 4), rect.Width(), 1);
        if (place.nHeight > 0) {
            EXPECT_NEAR(MulDiv(place.nHeight, nBaseY, 8), rect.Height(), 1);
        }
    }

    // 228 x 310 units of client area inside an even frame with the caption on top.
    e2e::ScreenRect dialog = panel.Rect(0);
    int nLeftFrame = nOriginX - dialog.nLeft;
    EXPECT_NEAR(nLeftFrame, dialog.nRight - (nOriginX + MulDiv(228, nBaseX, 4)), 1);
    EXPECT_NEAR(nLeftFrame, dialog.nBottom - (nOriginY + MulDiv(310, nBaseY, 8)), 1);
    EXPECT_GT(nOriginY - dialog.nTop, nLeftFrame) << "caption";
    panel->Ok("shot " + e2e::ResultsDir() + "/settings-layout.png");
    EXPECT_EQ("0", panel.Close());
}

TEST(PanelLayout, LevelNumbersSitUnderTheSliderTicks) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    e2e::SliderState slider = panel.Slider(IDC_SLD_BUFFER);
    EXPECT_EQ(std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), slider.tics);
    ASSERT_EQ(10u, slider.ticPos.size());
    e2e::ScreenRect track = panel.Rect(IDC_SLD_BUFFER);
    int nLastCentre = -1;
    for (int i = 0; i < 10; ++i) {
        int nId = IDC_LEVEL_1 + i;
        SCOPED_TRACE("level number " + std::to_string(i + 1));
        EXPECT_EQ(std::to_string(i + 1), panel.Text(nId));
        EXPECT_EQ("enabled=1 visible=1", panel->Ok("state " + e2e::Id(nId)).substr(0, 19));
        e2e::ScreenRect label = panel.Rect(nId);
        int nCentre = label.nLeft + label.Width() / 2;
        EXPECT_NEAR(track.nLeft + slider.ticPos[i], nCentre, 1);
        EXPECT_GT(nCentre, nLastCentre) << "left to right";
        EXPECT_NEAR(track.nBottom, label.nTop, 1) << "right under the slider";
        nLastCentre = nCentre;
    }
    EXPECT_EQ("visible=0", panel->Ok("state " + e2e::Id(IDC_LEVEL_11)).substr(10, 9))
        << "ten positions, no eleventh number";
    e2e::ScreenRect mark = panel.Rect(IDC_LEVEL_MARK);
    EXPECT_EQ("^", panel.Text(IDC_LEVEL_MARK));
    EXPECT_NEAR(track.nLeft + slider.ticPos[5], mark.nLeft + mark.Width() / 2, 1)
        << "the mark under the default level";
    EXPECT_EQ("0", panel.Close());
}

TEST(PanelLayout, PlaceholdersNeverShow) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    for (int nId : {IDC_CLOCK_STATE, IDC_BN_ASIO_MON, IDC_BN_MULTI_WDM, IDC_BN_ASIO_LIGHT,
                    IDC_STATE, IDC_BN_VS_EXPAND, IDC_VS_EXPAND_LABEL}) {
        EXPECT_EQ("visible=0", panel->Ok("state " + e2e::Id(nId)).substr(10, 9)) << nId;
    }
    EXPECT_EQ("enabled=0", panel->Ok("state " + e2e::Id(IDC_BN_ASIO_LIGHT)).substr(0, 9))
        << "disabled when the dialog opens";
    EXPECT_EQ("EXTERNAL (Unlocked)", panel.Text(IDC_CLOCK_STATE)) << "never written";
    EXPECT_EQ("0", panel.Close());
}

}  // namespace
