// The slider's tick marks and the level numbers and marker placed under them.
#include "tests/wine/support/SettingsDialogFixture.h"

#include <cstdlib>

namespace {

using kptest::Do;
using kptest::kEndedByTest;
using kptest::ScriptRun;

using TickLabelsTest = kptest::SettingsDialogTest;

// Twice the screen x of the label's centre, so that an odd width stays exact.
int CentreTimesTwo(HWND hLabel) {
    RECT rc = {-1, -1, -1, -1};
    ::GetWindowRect(hLabel, &rc);
    return rc.left + rc.right;
}

// Screen x of the nTic-th tick that was set.
int TickScreenX(HWND hSlider, int nTic) {
    POINT pt = {static_cast<LONG>(::SendMessageW(hSlider, TBM_GETTICPOS, nTic, 0)), 0};
    ::ClientToScreen(hSlider, &pt);
    return pt.x;
}

TEST_F(TickLabelsTest, SliderHasATickAtEveryLevel) {
    int nTics = -1;
    std::vector<int> ticks;
    std::vector<int> ticPos;
    ScriptRun run = Run({Do([&] {
        HWND hSlider = Item(IDC_SLD_BUFFER);
        nTics = static_cast<int>(::SendMessageW(hSlider, TBM_GETNUMTICS, 0, 0));
        for (int i = 0; i <= 10; ++i) {
            ticks.push_back(static_cast<int>(::SendMessageW(hSlider, TBM_GETTIC, i, 0)));
            ticPos.push_back(static_cast<int>(::SendMessageW(hSlider, TBM_GETTICPOS, i, 0)));
        }
        dlg.EndDialog(kEndedByTest);
    })});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_EQ(12, nTics) << "ten set, plus the two the trackbar counts at the ends of its range";
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1}), ticks);
    for (int i = 1; i < 10; ++i)
        EXPECT_GT(ticPos[i], ticPos[i - 1]) << "tick " << i;
    EXPECT_EQ(-1, ticPos[10]);
}

TEST_F(TickLabelsTest, LevelNumbersAreCentredUnderTheirTicks) {
    std::vector<int> offsets;  // label centre minus tick, in half pixels
    std::vector<bool> visible;
    ScriptRun run = Run({Do([&] {
        HWND hSlider = Item(IDC_SLD_BUFFER);
        for (int i = 0; i < 10; ++i) {
            HWND hLabel = Item(IDC_LEVEL_1 + i);
            offsets.push_back(CentreTimesTwo(hLabel) - 2 * TickScreenX(hSlider, i));
            visible.push_back(::IsWindowVisible(hLabel) != FALSE);
        }
        dlg.EndDialog(kEndedByTest);
    })});
    ASSERT_EQ(kEndedByTest, run.nResult);
    ASSERT_EQ(10u, offsets.size());
    for (int i = 0; i < 10; ++i) {
        EXPECT_LE(std::abs(offsets[i]), 2)
            << "label " << IDC_LEVEL_1 + i << " is " << offsets[i] / 2.0 << " px off tick " << i;
        EXPECT_TRUE(visible[i]) << "label " << IDC_LEVEL_1 + i;
    }
}

TEST_F(TickLabelsTest, EleventhNumberIsHiddenAndMarkerSitsUnderTheDefaultLevel) {
    bool bEleventhVisible = true, bMarkerVisible = false;
    int nMarkerOffset = 1000;
    ScriptRun run = Run({Do([&] {
        bEleventhVisible = Visible(IDC_LEVEL_11);
        bMarkerVisible = Visible(IDC_LEVEL_MARK);
        nMarkerOffset =
            CentreTimesTwo(Item(IDC_LEVEL_MARK)) - 2 * TickScreenX(Item(IDC_SLD_BUFFER), 5);
        dlg.EndDialog(kEndedByTest);
    })});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_FALSE(bEleventhVisible);
    EXPECT_TRUE(bMarkerVisible);
    EXPECT_LE(std::abs(nMarkerOffset), 2)
        << "marker is " << nMarkerOffset / 2.0 << " px off tick 5";
}

}  // namespace
