// Acting on a dialog as a user would, through the messages the user's action produces. Each
// helper refuses (returns false, sends nothing) what a user could not do: a control that is
// missing, hidden or disabled. (Under Wine BM_CLICK clicks even disabled or hidden buttons, and
// CB_SETCURSEL and TBM_SETPOS notify nothing, so the helpers check and notify themselves.)
#pragma once

#include <windows.h>

namespace kptest {

// True when the dialog has control nID, visible and enabled.
bool IsUsable(HWND hDlg, int nID);

// BM_CLICK on button nID: the button sends BN_CLICKED to the dialog.
bool ClickButton(HWND hDlg, int nID);

// Selects item nIndex of combo box nID (CB_SETCURSEL) and sends the dialog CBN_SELCHANGE.
bool SelectComboItem(HWND hDlg, int nID, int nIndex);

// Opens or closes the list of combo box nID (CB_SHOWDROPDOWN); the combo box itself sends
// CBN_DROPDOWN, or CBN_SELENDCANCEL and CBN_CLOSEUP.
bool ShowComboList(HWND hDlg, int nID, bool bShow);

// Drags the thumb of trackbar nID to nPos: TBM_SETPOS, then WM_HSCROLL to the dialog with
// TB_THUMBTRACK, TB_THUMBPOSITION and TB_ENDTRACK, as a mouse drag produces them.
bool DragSlider(HWND hDlg, int nID, int nPos);

// Posts a key press (WM_KEYDOWN, WM_KEYUP) to hWnd, normally the focused control. Posted input
// is handled by the modal loop, so the dialog's PreTranslateMessage sees it.
bool PostKey(HWND hWnd, UINT nVirtKey);

}  // namespace kptest
