#include "tests/wine/support/UserInput.h"

#include <commctrl.h>

namespace kptest {

bool IsUsable(HWND hDlg, int nID) {
    HWND hCtl = ::GetDlgItem(hDlg, nID);
    return hCtl != nullptr && ::IsWindowVisible(hCtl) && ::IsWindowEnabled(hCtl);
}

bool ClickButton(HWND hDlg, int nID) {
    if (!IsUsable(hDlg, nID)) {
        return false;
    }
    ::SendMessageW(::GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
    return true;
}

bool SelectComboItem(HWND hDlg, int nID, int nIndex) {
    HWND hCombo = ::GetDlgItem(hDlg, nID);
    if (!IsUsable(hDlg, nID) || nIndex < 0 ||
        nIndex >= static_cast<int>(::SendMessageW(hCombo, CB_GETCOUNT, 0, 0))) {
        return false;
    }
    ::SendMessageW(hCombo, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
    ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(hCombo));
    return true;
}

bool ShowComboList(HWND hDlg, int nID, bool bShow) {
    if (!IsUsable(hDlg, nID)) {
        return false;
    }
    ::SendMessageW(::GetDlgItem(hDlg, nID), CB_SHOWDROPDOWN, bShow ? TRUE : FALSE, 0);
    return true;
}

bool DragSlider(HWND hDlg, int nID, int nPos) {
    HWND hSlider = ::GetDlgItem(hDlg, nID);
    if (!IsUsable(hDlg, nID)) {
        return false;
    }
    ::SendMessageW(hSlider, TBM_SETPOS, TRUE, nPos);
    const auto lParam = reinterpret_cast<LPARAM>(hSlider);
    ::SendMessageW(hDlg, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, nPos), lParam);
    ::SendMessageW(hDlg, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, nPos), lParam);
    ::SendMessageW(hDlg, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), lParam);
    return true;
}

bool PostKey(HWND hWnd, UINT nVirtKey) {
    if (hWnd == nullptr) {
        return false;
    }
    const UINT nScan = ::MapVirtualKeyW(nVirtKey, MAPVK_VK_TO_VSC);
    const LPARAM lDown = 1 | static_cast<LPARAM>(nScan << 16);
    // Previous state down, transition up.
    const LPARAM lUp = static_cast<LPARAM>(static_cast<UINT>(lDown) | 0xC0000000u);
    return ::PostMessageW(hWnd, WM_KEYDOWN, nVirtKey, lDown) &&
           ::PostMessageW(hWnd, WM_KEYUP, nVirtKey, lUp);
}

}  // namespace kptest
