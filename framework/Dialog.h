// Dialogs from templates, run modally by their own message loop, with a declarative message map
// per class and the data exchange between members and controls.
#pragma once

#include "framework/Wnd.h"

#include <cstddef>
#include <vector>

class CDialog;
struct MsgMap;

// One run of the data exchange: controls into members (m_bSaveAndValidate TRUE) or back.
class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
};

class CDialog : public CWnd {
public:
    // The template is looked up in the program's own module.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // The message map of the object's class; each class with entries overrides this to return
    // its GetThisMessageMap().
    virtual const MsgMap* GetMessageMap() const;
    static const MsgMap* GetThisMessageMap();

    // Creates the dialog hidden, initialises it, shows it and runs the loop until EndDialog.
    // Returns the EndDialog result, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Ends the modal loop with nResult and hides the window; DoModal then destroys it.
    void EndDialog(int nResult);
    // Runs DoDataExchange in one direction. FALSE when there is no window.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Binds rControl to child nIDC until the window is destroyed; a bound control stays as it is.
    void AttachControl(int nIDC, CWnd& rControl);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Sees every message of the modal loop before it is dispatched; TRUE consumes it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // The base runs the data exchange into the controls and returns TRUE (focus to the first
    // tab stop).
    virtual BOOL OnInitDialog();
    // IDOK: the base stores the controls into the members and ends the dialog with IDOK.
    virtual void OnOK();
    // IDCANCEL (also Escape and WM_CLOSE): the base ends the dialog with IDCANCEL.
    virtual void OnCancel();

    // Default handling, for handlers that hand a message on after their own work.
    HBRUSH OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor);
    void OnTimer(UINT_PTR nIDEvent);
    void OnHScroll(UINT nSBCode, UINT nPos, HWND hScrollBar);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    BOOL HandleInitDialog(HWND hWnd);
    BOOL WalkMessageMap(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR* pResult);
    void HandleNcDestroy();
    void CenterWindow();

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    INT_PTR m_nModalResult = -1;
    BOOL m_bEndRequested = FALSE;
    // Set from the template at DoModal: placed at (0,0) without DS_CENTER.
    BOOL m_bAutoCenter = FALSE;
    std::vector<CWnd*> m_boundControls;
};

// The data exchange. Both do nothing when the dialog has no control nIDC.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// BST_CHECKED is 1, BST_UNCHECKED 0 (BST_INDETERMINATE 2); other values show as unchecked.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

// --- Message maps -------------------------------------------------------------------------
//
// Each dialog class lists its handlers in one static table and chains to its base class:
//
//   const MsgMap* CMyDlg::GetThisMessageMap() {
//       static const MsgMapEntry kEntries[] = {
//           MapBnClicked(IDC_APPLY, &CMyDlg::OnBnClickedApply),
//           MapHScroll(&CMyDlg::OnHScroll),
//           MapTimer(&CMyDlg::OnTimer),
//       };
//       static const MsgMap kMap = {&CDialog::GetThisMessageMap, kEntries, std::size(kEntries)};
//       return &kMap;
//   }
//   const MsgMap* CMyDlg::GetMessageMap() const { return GetThisMessageMap(); }
//
// The dialog procedure takes the first entry that matches, walking from the object's class to
// its bases; unmatched messages get the default dialog handling.

enum class MsgKind {
    Command,   // WM_COMMAND with notification nCode from control nID: void()
    HScroll,   // WM_HSCROLL from any slider or scroll bar: void(UINT nSBCode, UINT nPos, HWND)
    Timer,     // WM_TIMER of any timer of the dialog: void(UINT_PTR nIDEvent)
    CtlColor,  // WM_CTLCOLORMSGBOX..WM_CTLCOLORSTATIC: HBRUSH(HDC, HWND hCtl, UINT nCtlColor)
};

// One entry; only the handler of its kind is set.
struct MsgMapEntry {
    MsgKind kind;
    UINT nCode;  // Command only
    UINT nID;    // Command only
    void (CDialog::*pfnCommand)();
    void (CDialog::*pfnHScroll)(UINT, UINT, HWND);
    void (CDialog::*pfnTimer)(UINT_PTR);
    HBRUSH (CDialog::*pfnCtlColor)(HDC, HWND, UINT);
};

struct MsgMap {
    const MsgMap* (*pfnGetBaseMap)();  // null for the root
    const MsgMapEntry* pEntries;
    std::size_t nEntries;
};

// Entry builders: the handler's class must derive from CDialog.
template <class TDialog>
constexpr MsgMapEntry MapCommand(UINT nCode, int nID, void (TDialog::*pfn)()) {
    MsgMapEntry entry{};
    entry.kind = MsgKind::Command;
    entry.nCode = nCode;
    entry.nID = static_cast<UINT>(nID);
    entry.pfnCommand = static_cast<void (CDialog::*)()>(pfn);
    return entry;
}
template <class TDialog>
constexpr MsgMapEntry MapBnClicked(int nID, void (TDialog::*pfn)()) {
    return MapCommand(BN_CLICKED, nID, pfn);
}
template <class TDialog>
constexpr MsgMapEntry MapCbnDropdown(int nID, void (TDialog::*pfn)()) {
    return MapCommand(CBN_DROPDOWN, nID, pfn);
}
template <class TDialog>
constexpr MsgMapEntry MapCbnCloseup(int nID, void (TDialog::*pfn)()) {
    return MapCommand(CBN_CLOSEUP, nID, pfn);
}
template <class TDialog>
constexpr MsgMapEntry MapCbnSelchange(int nID, void (TDialog::*pfn)()) {
    return MapCommand(CBN_SELCHANGE, nID, pfn);
}
template <class TDialog>
constexpr MsgMapEntry MapHScroll(void (TDialog::*pfn)(UINT, UINT, HWND)) {
    MsgMapEntry entry{};
    entry.kind = MsgKind::HScroll;
    entry.pfnHScroll = static_cast<void (CDialog::*)(UINT, UINT, HWND)>(pfn);
    return entry;
}
template <class TDialog>
constexpr MsgMapEntry MapTimer(void (TDialog::*pfn)(UINT_PTR)) {
    MsgMapEntry entry{};
    entry.kind = MsgKind::Timer;
    entry.pfnTimer = static_cast<void (CDialog::*)(UINT_PTR)>(pfn);
    return entry;
}
template <class TDialog>
constexpr MsgMapEntry MapCtlColor(HBRUSH (TDialog::*pfn)(HDC, HWND, UINT)) {
    MsgMapEntry entry{};
    entry.kind = MsgKind::CtlColor;
    entry.pfnCtlColor = static_cast<HBRUSH (CDialog::*)(HDC, HWND, UINT)>(pfn);
    return entry;
}
