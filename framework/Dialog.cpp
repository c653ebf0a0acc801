#include "framework/Dialog.h"

#include "framework/WinApp.h"

#include <cstring>
#include <iterator>

namespace {

// Where the style and position sit in the two template formats.
constexpr size_t kExStyleOffset = 12;
constexpr size_t kExXOffset = 18;
constexpr size_t kExSize = 26;
constexpr size_t kStyleOffset = 0;
constexpr size_t kXOffset = 10;
constexpr size_t kSize = 18;
// Far above any real template: the copy's size is then computed without wrapping around.
constexpr DWORD kMaxTemplateSize = 1 << 20;

template <class T>
T ReadAt(const void* pBase, size_t nOffset) {
    T value;
    std::memcpy(&value, static_cast<const BYTE*>(pBase) + nOffset, sizeof value);
    return value;
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    // The derived members are already gone: nothing may reach them any more.
    m_boundControls.clear();
    if (m_hWnd != nullptr) {
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
}

const MsgMap* CDialog::GetMessageMap() const {
    return GetThisMessageMap();
}

const MsgMap* CDialog::GetThisMessageMap() {
    static const MsgMapEntry kEntries[] = {
        MapBnClicked(IDOK, &CDialog::OnOK),
        MapBnClicked(IDCANCEL, &CDialog::OnCancel),
    };
    static const MsgMap kMap = {nullptr, kEntries, std::size(kEntries)};
    return &kMap;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr) {
        return -1;
    }
    HINSTANCE hInstance = GetResourceModule();
    HRSRC hRes = ::FindResourceW(hInstance, MAKEINTRESOURCEW(m_nIDTemplate), RT_DIALOG);
    HGLOBAL hData = hRes != nullptr ? ::LoadResource(hInstance, hRes) : nullptr;
    const void* pTemplate = hData != nullptr ? ::LockResource(hData) : nullptr;
    DWORD nSize = hRes != nullptr ? ::SizeofResource(hInstance, hRes) : 0;
    if (pTemplate == nullptr || nSize < kSize || nSize > kMaxTemplateSize) {
        return -1;
    }

    // A copy with WS_VISIBLE removed, so that nothing shows before initialisation has finished,
    // and not at all when OnInitDialog already ended the dialog.
    std::vector<DWORD> copy((nSize + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(copy.data(), pTemplate, nSize);
    const bool bExtended = ReadAt<WORD>(pTemplate, 2) == 0xFFFF;
    if (bExtended && nSize < kExSize) {
        return -1;
    }
    const size_t nStyleAt = bExtended ? kExStyleOffset : kStyleOffset;
    const size_t nXAt = bExtended ? kExXOffset : kXOffset;
    const DWORD dwStyle = ReadAt<DWORD>(pTemplate, nStyleAt);
    const DWORD dwHidden = dwStyle & ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(reinterpret_cast<BYTE*>(copy.data()) + nStyleAt, &dwHidden, sizeof dwHidden);
    m_bAutoCenter = (dwStyle & (DS_CENTER | WS_CHILD)) == 0 &&
                    ReadAt<short>(pTemplate, nXAt) == 0 && ReadAt<short>(pTemplate, nXAt + 2) == 0;

    HWND hOwner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    BOOL bEnableOwner = FALSE;
    if (hOwner != nullptr && ::IsWindowEnabled(hOwner)) {
        ::EnableWindow(hOwner, FALSE);
        bEnableOwner = TRUE;
    }
    m_nModalResult = -1;
    m_bEndRequested = FALSE;
    HWND hWnd =
        ::CreateDialogIndirectParamW(hInstance, reinterpret_cast<const DLGTEMPLATE*>(copy.data()),
                                     hOwner, DialogProc, reinterpret_cast<LPARAM>(this));

    if (hWnd != nullptr && !m_bEndRequested) {
        ::ShowWindow(hWnd, SW_SHOWNORMAL);
    }
    while (m_hWnd != nullptr && !m_bEndRequested) {
        MSG msg;
        BOOL bGot = ::GetMessageW(&msg, nullptr, 0, 0);
        if (bGot == -1) {
            break;
        }
        if (bGot == 0) {
            // WM_QUIT belongs to the loop outside ours.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }

    // Enable the owner before the dialog goes, so that activation returns to it.
    if (bEnableOwner) {
        ::EnableWindow(hOwner, TRUE);
    }
    if (m_hWnd != nullptr) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (hOwner != nullptr && ::GetActiveWindow() == m_hWnd) {
            ::SetActiveWindow(hOwner);
        }
        ::DestroyWindow(m_hWnd);
    }
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    m_bEndRequested = TRUE;
    if (m_hWnd != nullptr) {
        ::EndDialog(m_hWnd, nResult);
    }
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::AttachControl(int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr) {
        return;
    }
    HWND hCtl = ::GetDlgItem(m_hWnd, nIDC);
    if (hCtl == nullptr) {
        return;
    }
    rControl.Attach(hCtl);
    m_boundControls.push_back(&rControl);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    return m_hWnd != nullptr && ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CDialog::OnInitDialog() {
    if (!UpdateData(FALSE)) {
        EndDialog(-1);
        return FALSE;
    }
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

HBRUSH CDialog::OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor) {
    // Calling the dialog's own window procedure would come back here; what it does for these
    // messages is the default window handling.
    return reinterpret_cast<HBRUSH>(::DefWindowProcW(m_hWnd, WM_CTLCOLORMSGBOX + nCtlColor,
                                                     reinterpret_cast<WPARAM>(hDC),
                                                     reinterpret_cast<LPARAM>(hCtl)));
}

void CDialog::OnTimer(UINT_PTR nIDEvent) {
    ::DefWindowProcW(m_hWnd, WM_TIMER, nIDEvent, 0);
}

void CDialog::OnHScroll(UINT nSBCode, UINT nPos, HWND hScrollBar) {
    ::DefWindowProcW(m_hWnd, WM_HSCROLL, MAKEWPARAM(nSBCode, nPos),
                     reinterpret_cast<LPARAM>(hScrollBar));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_INITDIALOG) {
        auto* pDlg = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        return pDlg->HandleInitDialog(hWnd);
    }
    auto* pDlg = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    if (pDlg == nullptr) {
        return FALSE;
    }
    if (nMsg == WM_NCDESTROY) {
        pDlg->HandleNcDestroy();
        return FALSE;
    }
    INT_PTR nResult = FALSE;
    if (pDlg->WalkMessageMap(nMsg, wParam, lParam, &nResult)) {
        return nResult;
    }
    // A command (a click, a menu item or an accelerator) the dialog leaves goes on to the
    // application; control notifications stay with the dialog.
    const UINT nCode = HIWORD(wParam);
    if (nMsg == WM_COMMAND && (nCode == 0 || (nCode == 1 && lParam == 0))) {
        CWinApp* pApp = CWinApp::GetApp();
        if (pApp != nullptr && pApp->OnCmdMsg(LOWORD(wParam))) {
            return TRUE;
        }
    }
    return nResult;
}

BOOL CDialog::HandleInitDialog(HWND hWnd) {
    m_hWnd = hWnd;
    RECT rcBefore;
    ::GetWindowRect(hWnd, &rcBefore);
    BOOL bResult = OnInitDialog();
    // Centred only when initialisation neither ended, showed nor moved the dialog.
    RECT rcAfter;
    if (m_bAutoCenter && !m_bEndRequested && m_hWnd != nullptr && !::IsWindowVisible(m_hWnd) &&
        ::GetWindowRect(m_hWnd, &rcAfter) && rcAfter.left == rcBefore.left &&
        rcAfter.top == rcBefore.top) {
        CenterWindow();
    }
    return bResult;
}

BOOL CDialog::WalkMessageMap(UINT nMsg, WPARAM wParam, LPARAM lParam, INT_PTR* pResult) {
    const bool bCtlColor = nMsg >= WM_CTLCOLORMSGBOX && nMsg <= WM_CTLCOLORSTATIC;
    for (const MsgMap* pMap = GetMessageMap(); pMap != nullptr;
         pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
        for (size_t i = 0; i < pMap->nEntries; ++i) {
            const MsgMapEntry& entry = pMap->pEntries[i];
            switch (entry.kind) {
                case MsgKind::Command:
                    if (nMsg == WM_COMMAND && HIWORD(wParam) == entry.nCode &&
                        LOWORD(wParam) == entry.nID) {
                        (this->*entry.pfnCommand)();
                        *pResult = TRUE;
                        return TRUE;
                    }
                    break;
                case MsgKind::HScroll:
                    if (nMsg == WM_HSCROLL) {
                        (this->*entry.pfnHScroll)(LOWORD(wParam), HIWORD(wParam),
                                                  reinterpret_cast<HWND>(lParam));
                        *pResult = TRUE;
                        return TRUE;
                    }
                    break;
                case MsgKind::Timer:
                    if (nMsg == WM_TIMER) {
                        (this->*entry.pfnTimer)(wParam);
                        *pResult = TRUE;
                        return TRUE;
                    }
                    break;
                case MsgKind::CtlColor:
                    if (bCtlColor) {
                        // For these messages the dialog procedure's result is the brush itself.
                        *pResult = reinterpret_cast<INT_PTR>((this->*entry.pfnCtlColor)(
                            reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                            nMsg - WM_CTLCOLORMSGBOX));
                        return TRUE;
                    }
                    break;
            }
        }
    }
    return FALSE;
}

void CDialog::HandleNcDestroy() {
    for (CWnd* pControl : m_boundControls) {
        pControl->Detach();
    }
    m_boundControls.clear();
    ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    m_hWnd = nullptr;
}

void CDialog::CenterWindow() {
    RECT rcDlg;
    ::GetWindowRect(m_hWnd, &rcDlg);
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    RECT rcArea = mi.rcWork;
    // An owned dialog centres over its owner, an unowned one on the screen.
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    RECT rcCenter = rcArea;
    if (hOwner != nullptr) {
        ::GetWindowRect(hOwner, &rcCenter);
    }
    const int cx = rcDlg.right - rcDlg.left;
    const int cy = rcDlg.bottom - rcDlg.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;
    // Keep it inside the work area, the top-left corner first.
    if (x + cx > rcArea.right) {
        x = rcArea.right - cx;
    }
    if (y + cy > rcArea.bottom) {
        y = rcArea.bottom - cy;
    }
    if (x < rcArea.left) {
        x = rcArea.left;
    }
    if (y < rcArea.top) {
        y = rcArea.top;
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    pDX->m_pDlgWnd->AttachControl(nIDC, rControl);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND hCtl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hCtl == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageW(hCtl, BM_GETCHECK, 0, 0));
    } else {
        const int nCheck = value >= BST_UNCHECKED && value <= BST_INDETERMINATE ? value : 0;
        ::SendMessageW(hCtl, BM_SETCHECK, static_cast<WPARAM>(nCheck), 0);
    }
}
