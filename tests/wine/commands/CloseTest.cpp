// CLOSE: whether it asks, what it writes on Yes, the warnings it gives, and that the dialog
// ends with IDOK on every path.
#include "tests/wine/support/SettingsDialogFixture.h"

#include <cstring>
#include <ostream>

namespace {

using kptest::BoxAnswers;
using kptest::Do;
using kptest::IsAppBox;
using kptest::ScriptRun;
using kptest::SeenMessageBox;

constexpr DWORD kNoBoxMs = 300;

// A touch that leaves the record as it was read.
struct TouchCase {
    const char* pszName;
    void (*pfnTouch)(HWND hDlg);
};

std::ostream& operator<<(std::ostream& os, const TouchCase& c) {
    return os << c.pszName;
}

class TouchedBackTest : public kptest::SettingsDialogTest,
                        public ::testing::WithParamInterface<TouchCase> {};

TEST_P(TouchedBackTest, ApplyIsEnabledYetCloseAsksNothing) {
    bool bApply = false;
    std::vector<SeenMessageBox> boxes;
    ScriptRun run = Run({Do([&] {
        GetParam().pfnTouch(Dlg());
        bApply = Enabled(IDC_APPLY);
        sim::ClearLog(&Bus());
        BoxAnswers answers({IDNO}, kNoBoxMs);
        ASSERT_TRUE(kptest::ClickButton(Dlg(), IDOK));
        boxes = answers.Wait();
    })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_TRUE(bApply);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_FALSE(boxes[0].bFound) << "asked: " << ::testing::PrintToString(boxes[0].text);
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_SETTINGS).empty()) << RequestTrace();
}

INSTANTIATE_TEST_SUITE_P(
    Touches, TouchedBackTest,
    ::testing::Values(TouchCase{"slider away and back",
                                [](HWND hDlg) {
                                    kptest::DragSlider(hDlg, IDC_SLD_BUFFER, 8);
                                    kptest::DragSlider(hDlg, IDC_SLD_BUFFER, 5);
                                }},
                      TouchCase{"check box off and on", [](HWND hDlg) {
                                    kptest::ClickButton(hDlg, IDC_BN_MATCH_ASIO_RATE);
                                    kptest::ClickButton(hDlg, IDC_BN_MATCH_ASIO_RATE);
                                }}));

using CloseTest = kptest::SettingsDialogTest;

TEST_F(CloseTest, ChangeAnsweredNoWritesNothing) {
    std::vector<SeenMessageBox> boxes;
    ScriptRun run = Run({Do([&] {
        kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 3);
        sim::ClearLog(&Bus());
        BoxAnswers answers({IDNO});
        ASSERT_TRUE(kptest::ClickButton(Dlg(), IDOK));
        boxes = answers.Wait();
    })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDOK, run.nResult);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_TRUE(IsAppBox(boxes[0], IDS_ASK_APPLY, MB_YESNO));
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_SETTINGS).empty()) << RequestTrace();
    EXPECT_EQ(5, sim::GetWord(Unit().abSettings + kptest::kOffLevel));
}

TEST_F(CloseTest, ChangeAnsweredYesWritesThenTellsOfThePowerCycleThenEnds) {
    Unit().nWriteResult = 2;
    std::vector<SeenMessageBox> boxes;
    std::vector<const sim::LogEntry*> writes;
    ScriptRun run = Run({Do([&] {
        kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 3);
        sim::ClearLog(&Bus());
        BoxAnswers answers({IDYES, IDOK});
        ASSERT_TRUE(kptest::ClickButton(Dlg(), IDOK));
        boxes = answers.Wait();
        writes = Requests(IOCTL_DRV_SET_SETTINGS);
    })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDOK, run.nResult);
    ASSERT_EQ(2u, boxes.size());
    EXPECT_TRUE(IsAppBox(boxes[0], IDS_ASK_APPLY, MB_YESNO));
    EXPECT_TRUE(IsAppBox(boxes[1], IDS_CONF_MIDI));
    ASSERT_EQ(1u, writes.size()) << RequestTrace();
    EXPECT_EQ(3, sim::GetWord(writes[0]->abSent + kptest::kOffLevel));
}

TEST_F(CloseTest, UnchangedWhileAUnitIsInUseWarnsThenEnds) {
    Unit().nInUse = 1;
    std::vector<SeenMessageBox> boxes;
    ScriptRun run = Run({Do([&] {
        sim::ClearLog(&Bus());
        BoxAnswers answers({IDOK});
        ASSERT_TRUE(kptest::ClickButton(Dlg(), IDOK));
        boxes = answers.Wait();
    })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDOK, run.nResult);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_TRUE(IsAppBox(boxes[0], IDS_CONF_WAVE));
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_SETTINGS).empty()) << RequestTrace();
}

// A record that breaks the level's rules is corrected when the controls are stored, so it
// differs from what was read although nobody touched anything.
struct ReadCase {
    const char* pszName;
    int32_t nLevel;
    int32_t bLevelFlag;  // the level's own flag
    int nOffset;         // the word read outside the rules
    int32_t nRead;
    int32_t nWritten;
};

std::ostream& operator<<(std::ostream& os, const ReadCase& c) {
    return os << c.pszName;
}

class RuleBreakingRecordTest : public kptest::SettingsDialogTest,
                               public ::testing::WithParamInterface<ReadCase> {};

TEST_P(RuleBreakingRecordTest, CloseAsksAndYesWritesTheCorrectedRecord) {
    const ReadCase& c = GetParam();
    PutSetting(kptest::kOffLevel, c.nLevel);
    PutSetting(kptest::kOffLevelFlag, c.bLevelFlag);
    PutSetting(kptest::kOffOffset1Enable, 1);
    PutSetting(kptest::kOffOffset2Enable, 1);
    PutSetting(c.nOffset, c.nRead);
    uint8_t abExpected[sim::kSettingsBytes];
    std::memcpy(abExpected, Unit().abSettings, sizeof abExpected);
    sim::PutWord(abExpected + c.nOffset, c.nWritten);

    std::vector<SeenMessageBox> boxes;
    std::vector<const sim::LogEntry*> writes;
    ScriptRun run = Run({Do([&] {
        sim::ClearLog(&Bus());
        BoxAnswers answers({IDYES});
        ASSERT_TRUE(kptest::ClickButton(Dlg(), IDOK));
        boxes = answers.Wait();
        writes = Requests(IOCTL_DRV_SET_SETTINGS);
    })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDOK, run.nResult);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_TRUE(IsAppBox(boxes[0], IDS_ASK_APPLY, MB_YESNO));
    ASSERT_EQ(1u, writes.size()) << RequestTrace();
    for (int i = 0; i < sim::kSettingsBytes; i += 4) {
        EXPECT_EQ(sim::GetWord(abExpected + i), sim::GetWord(writes[0]->abSent + i))
            << "word at offset " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Records, RuleBreakingRecordTest,
                         ::testing::Values(ReadCase{"offset 1 beyond level 5's limit", 5, 0,
                                                    kptest::kOffOffset1, 30, 12},
                                           ReadCase{"offset 2 below level 2's limit", 2, 1,
                                                    kptest::kOffOffset2, -9, -3},
                                           ReadCase{"level flag that is not level 5's", 5, 0,
                                                    kptest::kOffLevelFlag, 1, 0}));

}  // namespace
