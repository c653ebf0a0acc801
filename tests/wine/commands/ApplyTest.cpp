// Apply: what it writes, what the driver's answer makes it tell the user, and what the dialog
// looks like afterwards; Revert after Apply; Apply with every unit gone.
#include "tests/wine/support/SettingsDialogFixture.h"

#include <cstring>
#include <ostream>

namespace {

using kptest::BoxAnswers;
using kptest::Do;
using kptest::IsAppBox;
using kptest::kEndedByTest;
using kptest::ScriptRun;
using kptest::SeenMessageBox;

constexpr DWORD kNoBoxMs = 300;

struct WriteCase {
    int32_t nWriteResult;
    int32_t nInUse;
    UINT nBoxString;  // 0: no message
    int nInUseQueries;
};

std::ostream& operator<<(std::ostream& os, const WriteCase& c) {
    return os << "write result " << c.nWriteResult << ", in use " << c.nInUse;
}

class WriteResultTest : public kptest::SettingsDialogTest,
                        public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteResultTest, MessageFollowsTheDriversAnswer) {
    const WriteCase& c = GetParam();
    Unit().nWriteResult = c.nWriteResult;
    Unit().nInUse = c.nInUse;
    std::vector<SeenMessageBox> boxes;
    int nWrites = -1, nWriteAt = -1, nInUseAt = -1, nInUseQueries = -1;
    ScriptRun run =
        Run({Do([&] { ASSERT_TRUE(kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 3)); }), Do([&] {
                 sim::ClearLog(&Bus());
                 BoxAnswers answers({IDOK}, c.nBoxString != 0 ? 5000 : kNoBoxMs);
                 ASSERT_TRUE(kptest::ClickButton(Dlg(), IDC_APPLY));
                 boxes = answers.Wait();
                 nWrites = static_cast<int>(Requests(IOCTL_DRV_SET_SETTINGS).size());
                 nInUseQueries = static_cast<int>(Requests(IOCTL_DRV_GET_IN_USE).size());
                 nWriteAt = FirstIndexOf(IOCTL_DRV_SET_SETTINGS);
                 nInUseAt = FirstIndexOf(IOCTL_DRV_GET_IN_USE);
             }),
             EndByTest()});
    ASSERT_EQ(kEndedByTest, run.nResult) << "the dialog did not stay open";
    EXPECT_EQ(1, nWrites);
    ASSERT_FALSE(boxes.empty());
    if (c.nBoxString != 0) {
        EXPECT_TRUE(IsAppBox(boxes[0], c.nBoxString));
    } else {
        EXPECT_FALSE(boxes[0].bFound)
            << "unexpected message: " << ::testing::PrintToString(boxes[0].text);
    }
    EXPECT_EQ(c.nInUseQueries, nInUseQueries) << RequestTrace();
    if (c.nInUseQueries > 0) {
        EXPECT_GT(nInUseAt, nWriteAt) << "in-use query before the write: " << RequestTrace();
    }
}

// Only an answer of 1 asks whether the unit is in use, and only a unit in use is worth a word;
// 2 and 3 both ask for a power cycle.
INSTANTIATE_TEST_SUITE_P(Answers, WriteResultTest,
                         ::testing::Values(WriteCase{0, 1, 0, 0}, WriteCase{1, 1, IDS_CONF_WAVE, 1},
                                           WriteCase{1, 0, 0, 1}, WriteCase{2, 1, IDS_CONF_MIDI, 0},
                                           WriteCase{3, 0, IDS_CONF_MIDI, 0}));

using ApplyTest = kptest::SettingsDialogTest;

TEST_F(ApplyTest, LeavesTheDialogOpenWithApplyDisabledAndTheFocusOnClose) {
    Unit().nWriteResult = 1;
    Unit().nInUse = 1;
    bool bApply = true, bFocusOnClose = false;
    ScriptRun run = Run({Do([&] { kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 3); }), Do([&] {
                             BoxAnswers answers({IDOK});
                             ASSERT_TRUE(kptest::ClickButton(Dlg(), IDC_APPLY));
                             answers.Wait();
                             bApply = Enabled(IDC_APPLY);
                             bFocusOnClose = ::GetFocus() == Item(IDOK);
                         }),
                         EndByTest()});
    ASSERT_EQ(kEndedByTest, run.nResult) << "the dialog did not stay open";
    EXPECT_FALSE(bApply);
    EXPECT_TRUE(bFocusOnClose);
}

// The applications get a moment to let go of the unit before it is asked.
TEST_F(ApplyTest, RestartAnswerPausesAboutATenthOfASecond) {
    Unit().nWriteResult = 1;
    double dElapsedMs = 0;
    ScriptRun run = Run({Do([&] { kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 3); }), Do([&] {
                             // GetTickCount is too coarse under Wine for this.
                             LARGE_INTEGER start, end, frequency;
                             ::QueryPerformanceFrequency(&frequency);
                             ::QueryPerformanceCounter(&start);
                             kptest::ClickButton(Dlg(), IDC_APPLY);
                             ::QueryPerformanceCounter(&end);
                             dElapsedMs = 1000.0 *
                                          static_cast<double>(end.QuadPart - start.QuadPart) /
                                          static_cast<double>(frequency.QuadPart);
                         }),
                         EndByTest()});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_GE(dElapsedMs, 95.0);
}

TEST_F(ApplyTest, WritesTheStoredControlsAndCarriesEverythingElse) {
    FillRecognisableRows();
    using namespace kptest;
    const struct {
        int nOffset;
        int32_t nValue;
    } kRead[] = {
        {kOffOption1, 5},      {kOffOption2, 9},       {kOffLevel, 9},
        {kOffOption3, 0x3333}, {kOffNoRateMatch, 1},   {kOffOffset1Enable, 1},
        {kOffOffset1, -60},    {kOffOffset2Enable, 0}, {kOffOffset2, 50},
        {kOffLevelFlag, 0},    {kOffOption4, 0x4444},  {kOffOption5, 0x5555},
        {kOffOption6, 0x6666}, {kOffOption7, 0x7777},
    };
    for (const auto& word : kRead)
        PutSetting(word.nOffset, word.nValue);
    uint8_t abExpected[sim::kSettingsBytes];
    std::memcpy(abExpected, Unit().abSettings, sizeof abExpected);
    sim::PutWord(abExpected + kOffLevel, 2);
    sim::PutWord(abExpected + kOffOffset1, -3);  // level 2 allows 3
    sim::PutWord(abExpected + kOffOffset2, 0);   // disabled
    sim::PutWord(abExpected + kOffNoRateMatch, 0);
    sim::PutWord(abExpected + kOffLevelFlag, 1);  // level 2's flag

    std::vector<const sim::LogEntry*> writes;
    ScriptRun run = Run({Do([&] {
                             ASSERT_EQ(BST_UNCHECKED, Check());
                             ASSERT_TRUE(DragSlider(Dlg(), IDC_SLD_BUFFER, 2));
                             ASSERT_TRUE(ClickButton(Dlg(), IDC_BN_MATCH_ASIO_RATE));
                             sim::ClearLog(&Bus());
                             ASSERT_TRUE(ClickButton(Dlg(), IDC_APPLY));
                             writes = Requests(IOCTL_DRV_SET_SETTINGS);
                         }),
                         EndByTest()});
    ASSERT_EQ(kEndedByTest, run.nResult);
    ASSERT_EQ(1u, writes.size()) << RequestTrace();
    EXPECT_EQ(0, writes[0]->nSlot);
    EXPECT_EQ(340u, writes[0]->nSize);
    for (int i = 0; i < sim::kSettingsBytes; i += 4) {
        EXPECT_EQ(sim::GetWord(abExpected + i), sim::GetWord(writes[0]->abSent + i))
            << "word at offset " << i;
    }
}

TEST_F(ApplyTest, RevertAfterApplyShowsTheAppliedValues) {
    std::wstring revertLabel;
    int nPos = -1, nCheck = -1;
    bool bApply = true;
    ScriptRun run = Run({Do([&] {
                             revertLabel = Text(IDCANCEL);
                             kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 7);
                             kptest::ClickButton(Dlg(), IDC_BN_MATCH_ASIO_RATE);
                             ASSERT_TRUE(kptest::ClickButton(Dlg(), IDC_APPLY));
                         }),
                         Do([&] {
                             kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 2);
                             kptest::ClickButton(Dlg(), IDC_BN_MATCH_ASIO_RATE);
                             ASSERT_TRUE(kptest::ClickButton(Dlg(), IDCANCEL));
                             nPos = SliderPos();
                             nCheck = Check();
                             bApply = Enabled(IDC_APPLY);
                         }),
                         EndByTest()});
    ASSERT_EQ(kEndedByTest, run.nResult) << "Revert must not close the dialog";
    EXPECT_EQ(kptest::StringText(IDS_REVERT), revertLabel);
    EXPECT_EQ(7, nPos);
    EXPECT_EQ(BST_UNCHECKED, nCheck);
    EXPECT_FALSE(bApply);
}

TEST_F(ApplyTest, WithEveryUnitGoneItSaysSoWritesNothingAndEnds) {
    std::vector<SeenMessageBox> boxes;
    ScriptRun run = Run({Do([&] { kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 3); }), Do([&] {
                             Unit().bPresent = 0;
                             sim::ClearLog(&Bus());
                             BoxAnswers answers({IDOK});
                             kptest::ClickButton(Dlg(), IDC_APPLY);
                             boxes = answers.Wait();
                         })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDCANCEL, run.nResult);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_TRUE(IsAppBox(boxes[0], IDS_NO_DRIVER));
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_SETTINGS).empty()) << RequestTrace();
    EXPECT_EQ(0u, dlg.m_nTimerId) << "the refresh timer was left running";
}

}  // namespace
