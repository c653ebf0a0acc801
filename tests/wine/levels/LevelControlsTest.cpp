// The slider and the rate-match check box against the record: what opening shows, what a drag
// changes at once, and what Default puts into the record.
#include "tests/wine/support/SettingsDialogFixture.h"

#include <cstring>
#include <ostream>

namespace {

using kptest::Do;
using kptest::kEndedByTest;
using kptest::kOffLevel;
using kptest::kOffLevelFlag;
using kptest::kOffNoRateMatch;
using kptest::kOffOffset1;
using kptest::kOffOffset1Enable;
using kptest::kOffOffset2;
using kptest::kOffOffset2Enable;
using kptest::ScriptRun;
using kptest::WaitUntil;

struct OpeningCase {
    int32_t nLevel;
    int32_t bNoRateMatch;
    int nSliderPos;
    int nCheck;  // BM_GETCHECK of IDC_BN_MATCH_ASIO_RATE
};

std::ostream& operator<<(std::ostream& os, const OpeningCase& c) {
    return os << "level " << c.nLevel << ", bNoRateMatch " << c.bNoRateMatch;
}

class OpeningTest : public kptest::SettingsDialogTest,
                    public ::testing::WithParamInterface<OpeningCase> {};

TEST_P(OpeningTest, SliderShowsTheLevelAndCheckBoxTheRateMatch) {
    const OpeningCase& c = GetParam();
    PutSetting(kOffLevel, c.nLevel);
    PutSetting(kOffNoRateMatch, c.bNoRateMatch);
    HWND hSlider = nullptr;
    int nMin = -1, nMax = -1, nPos = -1, nCheck = -1;
    bool bApplyEnabled = true;
    ScriptRun run = Run({Do([&] {
        hSlider = Item(IDC_SLD_BUFFER);
        nMin = static_cast<int>(::SendMessageW(hSlider, TBM_GETRANGEMIN, 0, 0));
        nMax = static_cast<int>(::SendMessageW(hSlider, TBM_GETRANGEMAX, 0, 0));
        nPos = SliderPos();
        nCheck = Check();
        bApplyEnabled = Enabled(IDC_APPLY);
        dlg.EndDialog(kEndedByTest);
    })});
    ASSERT_EQ(kEndedByTest, run.nResult) << "the dialog did not open";
    EXPECT_EQ(0, nMin);
    EXPECT_EQ(9, nMax);
    EXPECT_EQ(c.nSliderPos, nPos);
    EXPECT_EQ(c.nCheck, nCheck);
    EXPECT_FALSE(bApplyEnabled);
}

// Levels outside 0..9 open too, with the slider at the nearer end.
INSTANTIATE_TEST_SUITE_P(
    Records, OpeningTest,
    ::testing::Values(OpeningCase{5, 0, 5, BST_CHECKED}, OpeningCase{0, 1, 0, BST_UNCHECKED},
                      OpeningCase{9, 0, 9, BST_CHECKED}, OpeningCase{7, 5, 7, BST_UNCHECKED},
                      OpeningCase{42, 0, 9, BST_CHECKED}, OpeningCase{-3, 1, 0, BST_UNCHECKED}));

using SliderTest = kptest::SettingsDialogTest;

TEST_F(SliderTest, DragChangesLevelFiguresAndApplyAtOnceButNotTheOffsets) {
    PutSetting(kOffLevel, 9);
    PutSetting(kOffOffset1Enable, 1);
    PutSetting(kOffOffset1, 50);   // within level 9's limit of 70, beyond level 2's limit of 3
    PutSetting(kOffLevelFlag, 0);  // level 2's flag is 1
    Unit().nStreamActive = 1;
    Unit().nStreamRate = 44100;
    bool bApplyBefore = true, bApplyAfter = false;
    DrvSettings after;
    Figures figures;
    ScriptRun run = Run({Do([&] {
                             bApplyBefore = Enabled(IDC_APPLY);
                             ASSERT_TRUE(kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 2));
                             after = dlg.m_Settings;
                             figures = ReadFigures();
                             bApplyAfter = Enabled(IDC_APPLY);
                         }),
                         EndByTest()});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_FALSE(bApplyBefore);
    EXPECT_TRUE(bApplyAfter);
    EXPECT_EQ(2, after.nBufferLevel);
    EXPECT_EQ(50, after.nOffset1)
        << "offsets are brought in line only when the controls are stored";
    EXPECT_EQ(0, after.bLevelFlag);
    EXPECT_EQ(L"   64 samples ( 44100 Hz)", figures.text);
    EXPECT_EQ(Bar(8), figures.realTime);
    EXPECT_EQ(Bar(3), figures.stability);
}

// Level 9 with offset 2 at 20 (level 5 allows 12), check box off, level flag 1, a stream at
// 44100 Hz.
class DefaultTest : public kptest::SettingsDialogTest {
protected:
    void SetUp() override {
        SettingsDialogTest::SetUp();
        PutSetting(kOffLevel, 9);
        PutSetting(kOffOffset2Enable, 1);
        PutSetting(kOffOffset2, 20);
        PutSetting(kOffOffset1Enable, 1);
        PutSetting(kOffOffset1, -7);
        PutSetting(kOffNoRateMatch, 1);
        PutSetting(kOffLevelFlag, 1);
        Unit().nStreamActive = 1;
        Unit().nStreamRate = 44100;
    }
};

TEST_F(DefaultTest, PutsLevelFiveAndClampedOffsetsIntoTheRecordWithoutTheDriver) {
    DrvSettings before, after;
    int nRequestsByClick = -1, nPos = -1, nCheck = -1;
    bool bApply = false;
    ScriptRun run = Run({Do([&] {
        before = dlg.m_Settings;
        sim::ClearLog(&Bus());
        ASSERT_TRUE(kptest::ClickButton(Dlg(), IDC_DEFAULT));
        nRequestsByClick = Bus().nLog;
        after = dlg.m_Settings;
        nPos = SliderPos();
        nCheck = Check();
        bApply = Enabled(IDC_APPLY);
        dlg.EndDialog(kEndedByTest);
    })});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_EQ(0, nRequestsByClick) << "the click asked the driver: " << RequestTrace();
    EXPECT_EQ(5, nPos);
    EXPECT_EQ(BST_CHECKED, nCheck);
    EXPECT_TRUE(bApply);
    EXPECT_EQ(5, after.nBufferLevel);
    EXPECT_EQ(12, after.nOffset2);
    EXPECT_EQ(0, after.bNoRateMatch);
    EXPECT_EQ(0, after.bLevelFlag);
    DrvSettings expected = before;
    expected.nBufferLevel = 5;
    expected.nOffset2 = 12;
    expected.bNoRateMatch = 0;
    expected.bLevelFlag = 0;
    EXPECT_EQ(0, std::memcmp(&expected, &after, sizeof after)) << "another word changed too";
}

TEST_F(DefaultTest, FiguresFollowAtTheNextTickNotAtOnce) {
    std::wstring textAtClick, realTimeAtClick, stabilityAtClick;
    std::wstring textAtTick, realTimeAtTick, stabilityAtTick;
    ScriptRun run = Run({Do([&] {
                             ASSERT_TRUE(kptest::ClickButton(Dlg(), IDC_DEFAULT));
                             textAtClick = Text(IDC_ASIO_BUF_SIZE);
                             realTimeAtClick = Text(IDC_BAR_REAL_TIME);
                             stabilityAtClick = Text(IDC_BAR_STABILITY);
                         }),
                         WaitUntil([&] { return Text(IDC_ASIO_BUF_SIZE) != textAtClick; }), Do([&] {
                             textAtTick = Text(IDC_ASIO_BUF_SIZE);
                             realTimeAtTick = Text(IDC_BAR_REAL_TIME);
                             stabilityAtTick = Text(IDC_BAR_STABILITY);
                         }),
                         EndByTest()});
    ASSERT_EQ(kEndedByTest, run.nResult) << "the figures never followed";
    EXPECT_EQ(L" 2048 samples ( 44100 Hz)", textAtClick);
    EXPECT_EQ(Bar(1), realTimeAtClick);
    EXPECT_EQ(Bar(10), stabilityAtClick);
    EXPECT_EQ(L"  256 samples ( 44100 Hz)", textAtTick);
    EXPECT_EQ(Bar(5), realTimeAtTick);
    EXPECT_EQ(Bar(6), stabilityAtTick);
}

}  // namespace
