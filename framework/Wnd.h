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

    operator HWND() const { return m_hWnd; }
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    HWND Detach() {
        HWND hWnd = m_hWnd;
        m_hWnd = nullptr;
        return hWnd;
    }

    // The child with that id; m_hWnd is null when the dialog has no such control.
    CWnd GetDlgItem(int nID) const { return CWnd(::GetDlgItem(m_hWnd, nID)); }

    BOOL SetWindowTextW(const wchar_t* pszText) { return ::SetWindowTextW(m_hWnd, pszText); }
    BOOL SetWindowTextW(const std::wstring& text) { return ::SetWindowTextW(m_hWnd, text.c_str()); }
    // The whole text, however long.
    std::wstring GetWindowTextW() const;

    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }

    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
    // Removes, then adds style bits; FALSE when nothing changed. Nothing is moved or redrawn.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd);

    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC pfnTimer = nullptr) {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, pfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

    BOOL GetWindowRect(RECT* pRect) const { return ::GetWindowRect(m_hWnd, pRect); }
    BOOL ScreenToClient(POINT* pPoint) const { return ::ScreenToClient(m_hWnd, pPoint); }
    BOOL ClientToScreen(POINT* pPoint) const { return ::ClientToScreen(m_hWnd, pPoint); }
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
};
