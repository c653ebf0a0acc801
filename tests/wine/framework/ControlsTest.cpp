// The thin window and control classes on the controls of a plain Win32 dialog: each method sends
// its message, and what the control answers comes back unchanged.
#include <gtest/gtest.h>

#include "framework/Button.h"
#include "framework/ComboBox.h"
#include "framework/SliderCtrl.h"
#include "framework/Wnd.h"
#include "tests/wine/framework/FrameworkTestRes.h"
#include "tests/wine/support/DialogScript.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

class ControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kptest::RegisterControlClasses(); }
    void SetUp() override {
        m_dlg.Attach(::CreateDialogParamW(::GetModuleHandleW(nullptr),
                                          MAKEINTRESOURCEW(IDD_FW_TEST), nullptr, PlainDialogProc,
                                          0));
        ASSERT_NE(nullptr, m_dlg.m_hWnd) << "error " << ::GetLastError();
    }
    void TearDown() override { ::DestroyWindow(m_dlg.Detach()); }

    HWND Item(int nID) const { return ::GetDlgItem(m_dlg, nID); }

    CWnd m_dlg;
};

TEST_F(ControlsTest, GetDlgItemFindsTheChildOrNothing) {
    CWnd press = m_dlg.GetDlgItem(IDC_FW_PRESS);
    EXPECT_EQ(Item(IDC_FW_PRESS), press.m_hWnd);
    EXPECT_EQ(IDC_FW_PRESS, press.GetDlgCtrlID());
    EXPECT_EQ(m_dlg.m_hWnd, press.GetParent());
    EXPECT_EQ(nullptr, m_dlg.GetDlgItem(4321).m_hWnd);
}

TEST_F(ControlsTest, WindowTextRoundTripsAtAnyLength) {
    CWnd text = m_dlg.GetDlgItem(IDC_FW_STATIC);
    EXPECT_EQ(L"Static text", text.GetWindowTextW());
    const std::wstring longText(1000, L'x');
    EXPECT_TRUE(text.SetWindowTextW(longText));
    EXPECT_EQ(longText, text.GetWindowTextW());
    EXPECT_TRUE(text.SetWindowTextW(L""));
    EXPECT_EQ(L"", text.GetWindowTextW());

    wchar_t szBuffer[8] = {L'#', L'#', L'#', L'#', L'#', L'#', L'#', L'#'};
    text.SetWindowTextW(L"abcdefghij");
    EXPECT_EQ(7, text.GetWindowTextW(szBuffer, 8));
    EXPECT_STREQ(L"abcdefg", szBuffer);
}

TEST_F(ControlsTest, EnableAndShowChangeTheStateTheyReport) {
    CWnd press = m_dlg.GetDlgItem(IDC_FW_PRESS);
    EXPECT_TRUE(press.IsWindowEnabled());
    EXPECT_FALSE(press.EnableWindow(FALSE)) << "was enabled before";
    EXPECT_FALSE(press.IsWindowEnabled());
    EXPECT_NE(0u, press.GetStyle() & WS_DISABLED);
    EXPECT_TRUE(press.EnableWindow(TRUE)) << "was disabled before";

    EXPECT_TRUE(press.IsWindowVisible());
    press.ShowWindow(SW_HIDE);
    EXPECT_FALSE(press.IsWindowVisible());
    press.ShowWindow(SW_SHOW);
    EXPECT_TRUE(press.IsWindowVisible());
}

TEST_F(ControlsTest, ModifyStyleReportsWhetherAnythingChanged) {
    CWnd press = m_dlg.GetDlgItem(IDC_FW_PRESS);
    ASSERT_EQ(0u, press.GetStyle() & WS_GROUP);
    EXPECT_TRUE(press.ModifyStyle(0, WS_GROUP));
    EXPECT_NE(0u, press.GetStyle() & WS_GROUP);
    EXPECT_FALSE(press.ModifyStyle(0, WS_GROUP));
    EXPECT_TRUE(press.ModifyStyle(WS_GROUP, 0, SWP_FRAMECHANGED));
    EXPECT_EQ(0u, press.GetStyle() & WS_GROUP);
    EXPECT_FALSE(m_dlg.ModifyStyle(WS_SYSMENU, 0)) << "the template has no system menu";
}

// The last window given the focus, seen by a thread hook: other programs running at the same
// time may take the activation, and with it GetFocus, away again at any moment.
HWND g_hFocused = nullptr;

LRESULT CALLBACK RecordFocus(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_SETFOCUS) {
        g_hFocused = reinterpret_cast<HWND>(wParam);
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

TEST_F(ControlsTest, FocusMovesToTheControl) {
    CWnd press = m_dlg.GetDlgItem(IDC_FW_PRESS);
    g_hFocused = nullptr;
    HHOOK hHook = ::SetWindowsHookExW(WH_CBT, RecordFocus, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(nullptr, hHook);
    press.SetFocus();
    ::UnhookWindowsHookEx(hHook);
    EXPECT_EQ(press.m_hWnd, g_hFocused);
}

TEST_F(ControlsTest, CoordinatesConvertBothWaysAndMoveKeepsTheSize) {
    CWnd text = m_dlg.GetDlgItem(IDC_FW_STATIC);
    RECT rcScreen;
    ASSERT_TRUE(text.GetWindowRect(&rcScreen));
    RECT rc = rcScreen;
    m_dlg.ScreenToClient(&rc);
    POINT pt = {rcScreen.left, rcScreen.top};
    m_dlg.ScreenToClient(&pt);
    EXPECT_EQ(rc.left, pt.x);
    EXPECT_EQ(rc.top, pt.y);
    m_dlg.ClientToScreen(&pt);
    EXPECT_EQ(rcScreen.left, pt.x);
    EXPECT_EQ(rcScreen.top, pt.y);
    m_dlg.ClientToScreen(&rc);
    EXPECT_EQ(rcScreen.right, rc.right);
    EXPECT_EQ(rcScreen.bottom, rc.bottom);

    const int cx = rcScreen.right - rcScreen.left;
    const int cy = rcScreen.bottom - rcScreen.top;
    EXPECT_TRUE(text.MoveWindow(5, 6, cx, cy));
    text.GetWindowRect(&rc);
    m_dlg.ScreenToClient(&rc);
    EXPECT_EQ(5, rc.left);
    EXPECT_EQ(6, rc.top);
    EXPECT_EQ(cx, rc.right - rc.left);
    EXPECT_TRUE(text.SetWindowPos(nullptr, 7, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    text.GetWindowRect(&rc);
    m_dlg.ScreenToClient(&rc);
    EXPECT_EQ(7, rc.left);
    EXPECT_EQ(8, rc.top);
    EXPECT_EQ(cy, rc.bottom - rc.top);
}

TEST_F(ControlsTest, TimerTicksUntilKilled) {
    EXPECT_EQ(9u, m_dlg.SetTimer(9, 10));
    MSG msg = {};
    const DWORD nStart = ::GetTickCount();
    bool bTicked = false;
    while (!bTicked && ::GetTickCount() - nStart < 2000) {
        if (::PeekMessageW(&msg, m_dlg, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            bTicked = msg.wParam == 9;
        } else {
            ::Sleep(5);
        }
    }
    EXPECT_TRUE(bTicked);
    EXPECT_TRUE(m_dlg.KillTimer(9));
    EXPECT_FALSE(m_dlg.KillTimer(9));
}

TEST_F(ControlsTest, ButtonCheckStateRoundTrips) {
    CButton check;
    check.Attach(Item(IDC_FW_CHECK));
    EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
    check.SetCheck(BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, check.GetCheck());
    EXPECT_EQ(BST_CHECKED, ::SendMessageW(check, BM_GETCHECK, 0, 0));
    check.SetCheck(BST_UNCHECKED);
    EXPECT_EQ(BST_UNCHECKED, check.GetCheck());
}

TEST_F(ControlsTest, ComboBoxItemsCarryTheirData) {
    CComboBox combo;
    combo.Attach(Item(IDC_FW_COMBO));
    EXPECT_EQ(0, combo.GetCount());
    EXPECT_EQ(0, combo.AddString(L" 44100 Hz"));
    EXPECT_EQ(1, combo.AddString(L" 48000 Hz"));
    EXPECT_EQ(2, combo.AddString(L" 96000 Hz"));
    EXPECT_EQ(3, combo.GetCount());
    EXPECT_NE(CB_ERR, combo.SetItemData(0, 44100));
    EXPECT_NE(CB_ERR, combo.SetItemData(1, 48000));
    EXPECT_EQ(48000u, combo.GetItemData(1));
    EXPECT_EQ(static_cast<DWORD_PTR>(CB_ERR), combo.GetItemData(7));
    EXPECT_EQ(L" 48000 Hz", combo.GetLBText(1));
    EXPECT_EQ(9, combo.GetLBTextLen(1));
    EXPECT_EQ(L"", combo.GetLBText(7));

    EXPECT_EQ(CB_ERR, combo.GetCurSel());
    EXPECT_EQ(2, combo.SetCurSel(2));
    EXPECT_EQ(2, combo.GetCurSel());
    combo.SetCurSel(-1);
    EXPECT_EQ(CB_ERR, combo.GetCurSel());

    EXPECT_EQ(1, combo.InsertString(1, L"x"));
    EXPECT_EQ(48000u, combo.GetItemData(2)) << "the data moves with its item";
    EXPECT_EQ(3, combo.DeleteString(1));
    combo.ResetContent();
    EXPECT_EQ(0, combo.GetCount());
}

TEST_F(ControlsTest, ComboBoxListOpensAndCloses) {
    CComboBox combo;
    combo.Attach(Item(IDC_FW_COMBO));
    combo.AddString(L"a");
    EXPECT_FALSE(combo.GetDroppedState());
    combo.ShowDropDown(TRUE);
    EXPECT_TRUE(combo.GetDroppedState());
    combo.ShowDropDown(FALSE);
    EXPECT_FALSE(combo.GetDroppedState());
}

TEST_F(ControlsTest, SliderRangeAndPosition) {
    CSliderCtrl slider;
    slider.Attach(Item(IDC_FW_SLIDER));
    slider.SetRange(0, 9, TRUE);
    EXPECT_EQ(0, slider.GetRangeMin());
    EXPECT_EQ(9, slider.GetRangeMax());
    slider.SetPos(5);
    EXPECT_EQ(5, slider.GetPos());
    slider.SetPos(20);
    EXPECT_EQ(9, slider.GetPos()) << "held inside the range";
    slider.SetRangeMin(2);
    slider.SetRangeMax(4, TRUE);
    EXPECT_EQ(2, slider.GetRangeMin());
    EXPECT_EQ(4, slider.GetRangeMax());
}

TEST_F(ControlsTest, SliderTicksSitLeftToRight) {
    CSliderCtrl slider;
    slider.Attach(Item(IDC_FW_SLIDER));
    slider.SetRange(0, 9, TRUE);
    slider.ClearTics();
    for (int p = 0; p <= slider.GetRangeMax(); ++p) {
        EXPECT_TRUE(slider.SetTic(p)) << "tick " << p;
    }
    EXPECT_FALSE(slider.SetTic(10)) << "outside the range";
    EXPECT_EQ(12u, slider.GetNumTics());
    int nLast = -1;
    for (int i = 0; i <= 9; ++i) {
        const int x = slider.GetTicPos(i);
        EXPECT_GT(x, nLast) << "tick " << i;
        nLast = x;
    }
    EXPECT_EQ(-1, slider.GetTicPos(10));
    slider.ClearTics(TRUE);
    EXPECT_EQ(2u, slider.GetNumTics());
    EXPECT_EQ(-1, slider.GetTicPos(0));
}

}  // namespace
