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
    EXPECT_TRUE(press.ModifyStyle(WS_GROUP, 0));
    EXPECT_EQ(0u, press.GetStyle() & WS_GROUP);
    EXPECT_FALSE(m_dlg.ModifyStyle(WS_SYSMENU, 0)) << "the template has no system menu";
}

TEST_F(ControlsTest, CoordinatesConvertBothWaysAndSetWindowPosKeepsTheSize) {
    CWnd text = m_dlg.GetDlgItem(IDC_FW_STATIC);
    RECT rcScreen;
    ASSERT_TRUE(text.GetWindowRect(&rcScreen));
    POINT pt = {rcScreen.left, rcScreen.top};
    m_dlg.ScreenToClient(&pt);
    m_dlg.ClientToScreen(&pt);
    EXPECT_EQ(rcScreen.left, pt.x);
    EXPECT_EQ(rcScreen.top, pt.y);

    const int cy = rcScreen.bottom - rcScreen.top;
    EXPECT_TRUE(text.SetWindowPos(nullptr, 7, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    RECT rc;
    text.GetWindowRect(&rc);
    POINT topLeft = {rc.left, rc.top};
    m_dlg.ScreenToClient(&topLeft);
    EXPECT_EQ(7, topLeft.x);
    EXPECT_EQ(8, topLeft.y);
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

    EXPECT_EQ(CB_ERR, combo.GetCurSel());
    EXPECT_EQ(2, combo.SetCurSel(2));
    EXPECT_EQ(2, combo.GetCurSel());
    combo.SetCurSel(-1);
    EXPECT_EQ(CB_ERR, combo.GetCurSel());

    combo.ResetContent();
    EXPECT_EQ(0, combo.GetCount());
}

TEST_F(ControlsTest, SliderRangeAndPosition) {
    CSliderCtrl slider;
    slider.Attach(Item(IDC_FW_SLIDER));
    slider.SetRange(0, 9, TRUE);
    EXPECT_EQ(9, slider.GetRangeMax());
    slider.SetPos(5);
    EXPECT_EQ(5, slider.GetPos());
    slider.SetPos(20);
    EXPECT_EQ(9, slider.GetPos()) << "held inside the range";
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
    int nLast = -1;
    for (int i = 0; i <= 9; ++i) {
        const int x = slider.GetTicPos(i);
        EXPECT_GT(x, nLast) << "tick " << i;
        nLast = x;
    }
    EXPECT_EQ(-1, slider.GetTicPos(10));
    slider.ClearTics(TRUE);
    EXPECT_EQ(-1, slider.GetTicPos(0));
}

}  // namespace
