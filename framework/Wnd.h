// A window handle with thin methods: each one a single Win32 call on m_hWnd, returning what the
// call returns. The object owns nothing; copying it copies the handle.
#pragma once

#ifndef UNICODE
#error "the framework uses the wide Win32 API: build with UNICODE defined"
#endif

#include <windows.h>

#include <string>

class CWnd {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach() {
        HWND hWnd = m_hWnd;
        m_hWnd = nullptr;
        return hWnd;
    }

    BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
    // The child with that id; m_hWnd is null when the dialog has no such control.
    CWnd GetDlgItem(int nID) const { return CWnd(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }

    BOOL SetWindowTextW(const wchar_t* pszText) { return ::SetWindowTextW(m_hWnd, pszText); }
    BOOL SetWindowTextW(const std::wstring& text) { return ::SetWindowTextW(m_hWnd, text.c_str()); }
    int GetWindowTextW(wchar_t* pszBuffer, int nMaxCount) const {
        return ::GetWindowTextW(m_hWnd, pszBuffer, nMaxCount);
    }
    int GetWindowTextLengthW() const { return ::GetWindowTextLengthW(m_hWnd); }
    // The whole text, however long.
    std::wstring GetWindowTextW() const;

    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }

    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }
    // Removes, then adds style bits; FALSE when nothing changed. With nFlags the frame is
    // refreshed through SetWindowPos (SWP_FRAMECHANGED and the like), otherwise nothing moves.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC pfnTimer = nullptr) {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, pfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

    BOOL GetWindowRect(RECT* pRect) const { return ::GetWindowRect(m_hWnd, pRect); }
    BOOL GetClientRect(RECT* pRect) const { return ::GetClientRect(m_hWnd, pRect); }
    BOOL ScreenToClient(POINT* pPoint) const { return ::ScreenToClient(m_hWnd, pPoint); }
    BOOL ClientToScreen(POINT* pPoint) const { return ::ClientToScreen(m_hWnd, pPoint); }
    // Rectangles convert as two points; MapWindowPoints from or to the desktop does exactly that.
    void ScreenToClient(RECT* pRect) const {
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(pRect), 2);
    }
    void ClientToScreen(RECT* pRect) const {
        ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(pRect), 2);
    }
    BOOL MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) {
        return ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    BOOL MoveWindow(const RECT* pRect, BOOL bRepaint = TRUE) {
        return ::MoveWindow(m_hWnd, pRect->left, pRect->top, pRect->right - pRect->left,
                            pRect->bottom - pRect->top, bRepaint);
    }
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
        return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags);
    }

    HICON SetIcon(HICON hIcon, BOOL bBigIcon) {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                   reinterpret_cast<LPARAM>(hIcon)));
    }

    LRESULT SendMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, nMsg, wParam, lParam);
    }
    BOOL PostMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, nMsg, wParam, lParam);
    }
};
