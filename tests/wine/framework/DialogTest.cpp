// CDialog's modal run: creation, placement, the loop, the ways a dialog ends, and what reaches
// OnOK and OnCancel.
#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "tests/wine/framework/FrameworkTestRes.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/UserInput.h"

#include <cstdlib>
#include <vector>

using kptest::Do;
using kptest::RunModalScript;
using kptest::ScriptRun;
using kptest::WaitUntil;

namespace {

class DialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kptest::RegisterControlClasses(); }
};

// Counts what reaches the virtuals; OnOK and OnCancel do what the base does unless told not to.
class CCountingDlg : public CDialog {
public:
    explicit CCountingDlg(UINT nIDTemplate = IDD_FW_TEST, CWnd* pParent = nullptr)
        : CDialog(nIDTemplate, pParent) {}

    int m_nInits = 0;
    int m_nOKs = 0;
    int m_nCancels = 0;
    bool m_bCancelEnds = true;
    int m_nEndInInit = 0;  // non-zero: OnInitDialog ends the dialog with it
    RECT m_rcInInit = {};

protected:
    BOOL OnInitDialog() override {
        ++m_nInits;
        CDialog::OnInitDialog();
        ::GetWindowRect(m_hWnd, &m_rcInInit);
        if (m_nEndInInit != 0) {
            EndDialog(m_nEndInInit);
        }
        return TRUE;
    }
    void OnOK() override {
        ++m_nOKs;
        CDialog::OnOK();
    }
    void OnCancel() override {
        ++m_nCancels;
        if (m_bCancelEnds) {
            CDialog::OnCancel();
        }
    }
};

// Where the focus is after opening; keys are posted there by name, since other programs running
// at the same time may take the activation (and with it GetFocus) away from the dialog.
HWND FirstTabStop(const CDialog& dlg) {
    return ::GetDlgItem(dlg.m_hWnd, IDC_FW_CHECK);
}

RECT WindowRect(HWND hWnd) {
    RECT rc = {};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

TEST_F(DialogTest, RunsVisibleUntilEndDialogAndReturnsItsResult) {
    CCountingDlg dlg;
    HWND hDlg = nullptr;
    bool bVisible = false;
    ScriptRun run = RunModalScript(dlg, {Do([&] {
                                       hDlg = dlg.m_hWnd;
                                       bVisible = ::IsWindowVisible(hDlg) != FALSE;
                                       dlg.EndDialog(77);
                                   })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_TRUE(bVisible);
    EXPECT_EQ(77, run.nResult);
    EXPECT_EQ(1, dlg.m_nInits);
    EXPECT_EQ(nullptr, dlg.m_hWnd) << "detached when destroyed";
    EXPECT_FALSE(::IsWindow(hDlg)) << "DoModal destroys the window";
}

// The first window of a dialog that was given the focus, seen by a thread hook (other programs
// may take the activation away later, so GetFocus is not asked).
HWND g_hFirstFocus = nullptr;

LRESULT CALLBACK RecordFirstFocus(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_SETFOCUS && g_hFirstFocus == nullptr) {
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        wchar_t szClass[16] = {};
        ::GetClassNameW(::GetParent(hWnd), szClass, 16);
        if (lstrcmpW(szClass, L"#32770") == 0) {
            g_hFirstFocus = hWnd;
        }
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

TEST_F(DialogTest, FocusStartsOnTheFirstTabStop) {
    CCountingDlg dlg;
    g_hFirstFocus = nullptr;
    HHOOK hHook = ::SetWindowsHookExW(WH_CBT, RecordFirstFocus, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(nullptr, hHook);
    HWND hCheck = nullptr;
    RunModalScript(dlg, {Do([&] {
                       hCheck = ::GetDlgItem(dlg.m_hWnd, IDC_FW_CHECK);
                       dlg.EndDialog(IDOK);
                   })});
    ::UnhookWindowsHookEx(hHook);
    EXPECT_NE(nullptr, hCheck);
    EXPECT_EQ(hCheck, g_hFirstFocus);
}

// Dialogs of this thread that were told to show, seen by a thread hook.
int g_nDialogsShown = 0;

LRESULT CALLBACK CountDialogsShown(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    wchar_t szClass[16] = {};
    ::GetClassNameW(pMsg->hwnd, szClass, 16);
    const bool bShow =
        (pMsg->message == WM_SHOWWINDOW && pMsg->wParam != 0) ||
        (pMsg->message == WM_WINDOWPOSCHANGING &&
         (reinterpret_cast<const WINDOWPOS*>(pMsg->lParam)->flags & SWP_SHOWWINDOW) != 0);
    if (nCode == HC_ACTION && bShow && lstrcmpW(szClass, L"#32770") == 0) {
        ++g_nDialogsShown;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

TEST_F(DialogTest, EndDialogInOnInitDialogReturnsItsResultWithoutShowing) {
    CCountingDlg dlg;
    dlg.m_nEndInInit = 42;
    g_nDialogsShown = 0;
    HHOOK hHook =
        ::SetWindowsHookExW(WH_CALLWNDPROC, CountDialogsShown, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(nullptr, hHook);
    ScriptRun run = RunModalScript(dlg, {}, 2000);
    ::UnhookWindowsHookEx(hHook);
    EXPECT_FALSE(run.bTimedOut) << "the modal loop must not run";
    EXPECT_EQ(42, run.nResult);
    EXPECT_EQ(0, g_nDialogsShown);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST_F(DialogTest, UnownedDialogAtOriginIsCentredOnTheWorkArea) {
    CCountingDlg dlg;
    RECT rcRun = {};
    RunModalScript(dlg, {Do([&] {
                       rcRun = WindowRect(dlg.m_hWnd);
                       dlg.EndDialog(IDOK);
                   })});
    RECT rcWork;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    EXPECT_LE(std::abs((rcRun.left + rcRun.right) - (rcWork.left + rcWork.right)), 2)
        << "dialog " << rcRun.left << ".." << rcRun.right << ", work area " << rcWork.left << ".."
        << rcWork.right;
    EXPECT_LE(std::abs((rcRun.top + rcRun.bottom) - (rcWork.top + rcWork.bottom)), 2)
        << "dialog " << rcRun.top << ".." << rcRun.bottom << ", work area " << rcWork.top << ".."
        << rcWork.bottom;
    EXPECT_NE(dlg.m_rcInInit.left, rcRun.left) << "moved after initialisation";
}

TEST_F(DialogTest, PlacedDialogStaysWhereItsTemplatePutsItAndShowsWithoutVisibleStyle) {
    CCountingDlg dlg(IDD_FW_PLACED);
    RECT rcRun = {};
    bool bVisible = false;
    RunModalScript(dlg, {Do([&] {
                       rcRun = WindowRect(dlg.m_hWnd);
                       bVisible = ::IsWindowVisible(dlg.m_hWnd) != FALSE;
                       dlg.EndDialog(IDOK);
                   })});
    EXPECT_TRUE(bVisible);
    EXPECT_EQ(dlg.m_rcInInit.left, rcRun.left);
    EXPECT_EQ(dlg.m_rcInInit.top, rcRun.top);
}

TEST_F(DialogTest, OwnerIsDisabledWhileTheDialogRunsAndEnabledAfter) {
    HWND hOwner = ::CreateWindowExW(0, L"Static", L"owner", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100,
                                    nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, hOwner);
    CWnd owner(hOwner);
    CCountingDlg dlg(IDD_FW_TEST, &owner);
    bool bOwnerEnabled = true;
    HWND hOwnerSeen = nullptr;
    ScriptRun run = RunModalScript(dlg, {Do([&] {
                                       bOwnerEnabled = ::IsWindowEnabled(hOwner) != FALSE;
                                       hOwnerSeen = ::GetWindow(dlg.m_hWnd, GW_OWNER);
                                       dlg.EndDialog(IDOK);
                                   })});
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_FALSE(bOwnerEnabled);
    EXPECT_EQ(hOwner, hOwnerSeen);
    EXPECT_TRUE(::IsWindowEnabled(hOwner));
    ::DestroyWindow(hOwner);
}

TEST_F(DialogTest, MissingTemplateFailsWithoutWindow) {
    CCountingDlg dlg(4999);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_EQ(0, dlg.m_nInits);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
}

TEST_F(DialogTest, QuitMessageEndsTheLoopAndIsKeptForTheOuterLoop) {
    CCountingDlg dlg;
    ScriptRun run = RunModalScript(dlg, {Do([] { ::PostQuitMessage(3); })}, 2000);
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(-1, run.nResult);
    MSG msg = {};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, msg.wParam);
}

TEST_F(DialogTest, EnterReachesOnOK) {
    CCountingDlg dlg;
    ScriptRun run =
        RunModalScript(dlg, {Do([&] { kptest::PostKey(FirstTabStop(dlg), VK_RETURN); })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ(1, dlg.m_nOKs);
    EXPECT_EQ(0, dlg.m_nCancels);
}

TEST_F(DialogTest, EscapeReachesOnCancelWhichMayKeepTheDialogOpen) {
    CCountingDlg dlg;
    dlg.m_bCancelEnds = false;
    std::vector<kptest::ScriptStep> steps = {
        Do([&] { kptest::PostKey(FirstTabStop(dlg), VK_ESCAPE); }),
        Do([&] {
            EXPECT_EQ(1, dlg.m_nCancels);
            EXPECT_TRUE(::IsWindowVisible(dlg.m_hWnd)) << "still open";
            kptest::ClickButton(dlg.m_hWnd, IDCANCEL);
        }),
        Do([&] {
            EXPECT_EQ(2, dlg.m_nCancels) << "the Cancel button";
            dlg.m_bCancelEnds = true;
            kptest::PostKey(FirstTabStop(dlg), VK_ESCAPE);
        }),
    };
    ScriptRun run = RunModalScript(dlg, steps);
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_EQ(3, dlg.m_nCancels);
    EXPECT_EQ(0, dlg.m_nOKs);
}

TEST_F(DialogTest, CloseRequestArrivesAsCancel) {
    CCountingDlg dlg;
    dlg.m_bCancelEnds = false;
    ScriptRun run = RunModalScript(
        dlg, {Do([&] { ::PostMessageW(dlg.m_hWnd, WM_CLOSE, 0, 0); }),
              WaitUntil([&] { return dlg.m_nCancels > 0; }), Do([&] { dlg.EndDialog(9); })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(9, run.nResult);
    EXPECT_EQ(1, dlg.m_nCancels);
}

TEST_F(DialogTest, OKButtonReachesOnOK) {
    CCountingDlg dlg;
    ScriptRun run = RunModalScript(dlg, {Do([&] { kptest::ClickButton(dlg.m_hWnd, IDOK); })});
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ(1, dlg.m_nOKs);
}

// Drops the mouse wheel before any control sees it, and counts what passes through the loop.
class CNoWheelDlg : public CCountingDlg {
public:
    bool m_bDropWheel = true;
    int m_nWheelsSeen = 0;
    int m_nKeyDownsSeen = 0;

protected:
    BOOL OnInitDialog() override {
        CCountingDlg::OnInitDialog();
        HWND hCombo = ::GetDlgItem(m_hWnd, IDC_FW_COMBO);
        for (const wchar_t* psz : {L"a", L"b", L"c"}) {
            ::SendMessageW(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(psz));
        }
        ::SendMessageW(hCombo, CB_SETCURSEL, 0, 0);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        if (pMsg->message == WM_KEYDOWN) {
            ++m_nKeyDownsSeen;
        }
        if (pMsg->message == WM_MOUSEWHEEL) {
            ++m_nWheelsSeen;
            if (m_bDropWheel) {
                return TRUE;
            }
        }
        return CCountingDlg::PreTranslateMessage(pMsg);
    }
};

int RunWheelOverCombo(CNoWheelDlg& dlg) {
    int nSel = -2;
    RunModalScript(dlg, {Do([&] {
                             HWND hCombo = ::GetDlgItem(dlg.m_hWnd, IDC_FW_COMBO);
                             ::SetFocus(hCombo);
                             ::PostMessageW(hCombo, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
                         }),
                         Do([&] {
                             nSel = static_cast<int>(::SendDlgItemMessageW(dlg.m_hWnd, IDC_FW_COMBO,
                                                                           CB_GETCURSEL, 0, 0));
                             dlg.EndDialog(IDOK);
                         })});
    return nSel;
}

TEST_F(DialogTest, PreTranslateMessageThatConsumesTheWheelKeepsItFromTheControl) {
    CNoWheelDlg dlg;
    EXPECT_EQ(0, RunWheelOverCombo(dlg));
    EXPECT_EQ(1, dlg.m_nWheelsSeen);
}

TEST_F(DialogTest, WheelThatPassesPreTranslateMessageMovesTheSelection) {
    CNoWheelDlg dlg;
    dlg.m_bDropWheel = false;
    EXPECT_EQ(1, RunWheelOverCombo(dlg)) << "proves the wheel would move the list";
    EXPECT_EQ(1, dlg.m_nWheelsSeen);
}

TEST_F(DialogTest, PreTranslateMessageSeesPostedKeysBeforeTheDialog) {
    CNoWheelDlg dlg;
    dlg.m_bCancelEnds = false;
    RunModalScript(dlg, {Do([&] { kptest::PostKey(FirstTabStop(dlg), VK_ESCAPE); }),
                         Do([&] { dlg.EndDialog(IDOK); })});
    EXPECT_EQ(1, dlg.m_nKeyDownsSeen);
    EXPECT_EQ(1, dlg.m_nCancels);
}

}  // namespace
