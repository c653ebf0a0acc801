// Opening without a settings record to edit: the message, and the dialog ends before it shows.
#include "tests/wine/support/SettingsDialogFixture.h"

#include <ostream>

namespace {

using kptest::BoxAnswers;
using kptest::IsAppBox;
using kptest::ScriptRun;
using kptest::SeenMessageBox;

// Settings dialogs (they have the buffer slider) that were told to show, seen by a thread hook.
int g_nSettingsDialogsShown = 0;

LRESULT CALLBACK CountSettingsDialogsShown(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    const bool bShow =
        (pMsg->message == WM_SHOWWINDOW && pMsg->wParam != 0) ||
        (pMsg->message == WM_WINDOWPOSCHANGING &&
         (reinterpret_cast<const WINDOWPOS*>(pMsg->lParam)->flags & SWP_SHOWWINDOW) != 0);
    if (nCode == HC_ACTION && bShow && ::GetDlgItem(pMsg->hwnd, IDC_SLD_BUFFER) != nullptr)
        ++g_nSettingsDialogsShown;
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

struct ReadCase {
    const char* pszName;
    bool bRequestFails;
    int32_t nReadResult;
};

std::ostream& operator<<(std::ostream& os, const ReadCase& c) {
    return os << c.pszName;
}

class ReadFailureTest : public kptest::SettingsDialogTest,
                        public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadFailureTest, SaysSoAndEndsWithCancelWithoutShowing) {
    const ReadCase& c = GetParam();
    if (c.bRequestFails)
        FailAlways(IOCTL_DRV_GET_SETTINGS);
    Unit().nReadResult = c.nReadResult;
    g_nSettingsDialogsShown = 0;
    HHOOK hHook = ::SetWindowsHookExW(WH_CALLWNDPROC, CountSettingsDialogsShown, nullptr,
                                      ::GetCurrentThreadId());
    ASSERT_NE(nullptr, hHook);
    BoxAnswers answers({IDOK});
    ScriptRun run = Run({}, 3000);
    std::vector<SeenMessageBox> boxes = answers.Wait();
    ::UnhookWindowsHookEx(hHook);

    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_EQ(0, g_nSettingsDialogsShown);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_TRUE(IsAppBox(boxes[0], IDS_NO_DRIVER));
    EXPECT_EQ(1u, Requests(IOCTL_DRV_GET_SETTINGS).size()) << RequestTrace();
    EXPECT_EQ(0u, dlg.m_nTimerId) << "the refresh timer was started";
}

INSTANTIATE_TEST_SUITE_P(Reads, ReadFailureTest,
                         ::testing::Values(ReadCase{"request fails", true, 1},
                                           ReadCase{"answer with result word 0", false, 0}));

}  // namespace
