// The ASIO buffer text and the two performance bars of the open dialog, from the record's level
// and the rate of the first source that answers: the running stream, else the reference rate.
#include "tests/wine/support/SettingsDialogFixture.h"

#include <ostream>

namespace {

using kptest::Do;
using kptest::kEndedByTest;
using kptest::kOffLevel;
using kptest::ScriptRun;

struct FiguresCase {
    int32_t nLevel;
    int32_t nStreamRate;
    const wchar_t* pszText;
    int nRealTime;   // 'O's of IDC_BAR_REAL_TIME
    int nStability;  // 'O's of IDC_BAR_STABILITY
};

std::ostream& operator<<(std::ostream& os, const FiguresCase& c) {
    return os << "level " << c.nLevel << " at " << c.nStreamRate << " Hz";
}

class AsioFiguresTest : public kptest::SettingsDialogTest,
                        public ::testing::WithParamInterface<FiguresCase> {};

TEST_P(AsioFiguresTest, RunningStreamGivesTextAndBars) {
    const FiguresCase& c = GetParam();
    PutSetting(kOffLevel, c.nLevel);
    Unit().nStreamActive = 1;
    Unit().nStreamRate = c.nStreamRate;
    Figures figures;
    ScriptRun run = Run({Do([&] {
        figures = ReadFigures();
        dlg.EndDialog(kEndedByTest);
    })});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_EQ(c.pszText, figures.text);
    EXPECT_EQ(Bar(c.nRealTime), figures.realTime);
    EXPECT_EQ(Bar(c.nStability), figures.stability);
}

// Band edges are inclusive; above 384000 Hz the level no longer matters.
INSTANTIATE_TEST_SUITE_P(
    LevelsAndBands, AsioFiguresTest,
    ::testing::Values(FiguresCase{5, 44100, L"  256 samples ( 44100 Hz)", 5, 6},
                      FiguresCase{0, 44100, L"   48 samples ( 44100 Hz)", 10, 1},
                      FiguresCase{9, 44100, L" 2048 samples ( 44100 Hz)", 1, 10},
                      FiguresCase{3, 48000, L"   96 samples ( 48000 Hz)", 7, 4},
                      FiguresCase{3, 48001, L"  192 samples ( 48001 Hz)", 7, 4},
                      FiguresCase{5, 96000, L"  512 samples ( 96000 Hz)", 5, 6},
                      FiguresCase{2, 192000, L"  256 samples (192000 Hz)", 8, 3},
                      FiguresCase{2, 192001, L"  512 samples (192001 Hz)", 8, 3},
                      FiguresCase{8, 384000, L" 8192 samples (384000 Hz)", 2, 9},
                      FiguresCase{8, 384001, L" 1312 samples (384001 Hz)", 2, 9},
                      FiguresCase{0, 384001, L" 1312 samples (384001 Hz)", 10, 1},
                      FiguresCase{1, 705600, L" 2400 samples (705600 Hz)", 9, 2},
                      FiguresCase{6, 768000, L" 2624 samples (768000 Hz)", 4, 7}));

// A record level outside 0..9 is shown as the nearer end of the table.
INSTANTIATE_TEST_SUITE_P(
    LevelOutsideTheTable, AsioFiguresTest,
    ::testing::Values(FiguresCase{42, 44100, L" 2048 samples ( 44100 Hz)", 1, 10},
                      FiguresCase{-3, 44100, L"   48 samples ( 44100 Hz)", 10, 1}));

using AsioSourceTest = kptest::SettingsDialogTest;

TEST_F(AsioSourceTest, WithoutStreamTheReferenceRateIsUsed) {
    Unit().nStreamActive = 0;
    Unit().nStreamRate = 44100;
    Unit().nRate = 88200;  // the reference rate: the answer to GET_RATE
    std::wstring text;
    ScriptRun run = Run({Do([&] {
        text = Text(IDC_ASIO_BUF_SIZE);
        dlg.EndDialog(kEndedByTest);
    })});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_EQ(L"  512 samples ( 88200 Hz)", text)
        << "clock's current rate is " << Unit().nCurrentRate;
}

TEST_F(AsioSourceTest, WithoutAnySourceTheTextSaysSoAndTheBarsKeepTheirText) {
    Unit().nStreamActive = 1;
    Unit().nStreamRate = 44100;
    std::wstring textBefore;
    Figures figures;
    ScriptRun run = Run({Do([&] {
                             textBefore = Text(IDC_ASIO_BUF_SIZE);
                             FailAlways(IOCTL_DRV_GET_STREAM_STATE);
                             FailAlways(IOCTL_DRV_GET_RATE);
                             // Level 2 would give bars of 8 and 3.
                             kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 2);
                             figures = ReadFigures();
                         }),
                         EndByTest()});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_EQ(L"  256 samples ( 44100 Hz)", textBefore);
    EXPECT_EQ(L"--- samples (--- Hz)", figures.text);
    EXPECT_EQ(Bar(5), figures.realTime);
    EXPECT_EQ(Bar(6), figures.stability);
}

TEST_F(AsioSourceTest, OpeningWithoutAnySourceLeavesTheTemplateBars) {
    FailAlways(IOCTL_DRV_GET_STREAM_STATE);
    FailAlways(IOCTL_DRV_GET_RATE);
    Figures figures;
    ScriptRun run = Run({Do([&] {
        figures = ReadFigures();
        dlg.EndDialog(kEndedByTest);
    })});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_EQ(L"--- samples (--- Hz)", figures.text);
    EXPECT_EQ(Bar(11), figures.realTime);
    EXPECT_EQ(Bar(1), figures.stability);
}

}  // namespace
