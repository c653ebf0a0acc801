#include "framework/Wnd.h"

std::wstring CWnd::GetWindowTextW() const {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(m_hWnd)) + 1, L'\0');
    int nLen = ::GetWindowTextW(m_hWnd, &text[0], static_cast<int>(text.size()));
    text.resize(nLen > 0 ? static_cast<size_t>(nLen) : 0);
    return text;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd) {
    DWORD dwStyle = GetStyle();
    DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle) {
        return FALSE;
    }
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(dwNewStyle));
    return TRUE;
}
