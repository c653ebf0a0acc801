#include "framework/AppStrings.h"

#include "framework/WinApp.h"

BOOL LoadStringText(UINT nId, std::wstring& text) {
    // With a buffer size of 0 LoadStringW hands out a pointer into the resource itself.
    const wchar_t* pText = nullptr;
    int nLen = ::LoadStringW(GetResourceModule(), nId, reinterpret_cast<LPWSTR>(&pText), 0);
    if (pText == nullptr) {
        text.clear();
        return FALSE;
    }
    text.assign(pText, nLen > 0 ? static_cast<size_t>(nLen) : 0);
    return TRUE;
}

bool SetDlgItemFromString(const CWnd& dlg, int nID, UINT nIdString) {
    CWnd control = dlg.GetDlgItem(nID);
    if (control.m_hWnd == nullptr)
        return false;
    std::wstring text;
    if (!LoadStringText(nIdString, text) || text.empty())
        return false;
    control.SetWindowTextW(text);
    return true;
}

namespace {

// Without a title string the program's file name stands in, as for any untitled program.
std::wstring GetAppTitle() {
    std::wstring title;
    if (LoadStringText(kAppTitleStringId, title) && !title.empty()) {
        return title;
    }
    wchar_t szPath[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    title = szPath;
    title.erase(0, title.find_last_of(L"\\/") + 1);
    const size_t nDot = title.rfind(L'.');
    if (nDot != std::wstring::npos) {
        title.erase(nDot);
    }
    return title;
}

BOOL CALLBACK FindUsableWindow(HWND hWnd, LPARAM lParam) {
    if (::IsWindowVisible(hWnd) && ::IsWindowEnabled(hWnd)) {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

// The active window of this thread; when another program has taken the activation, the main
// window, or else the window this thread shows and the user could use (the running dialog).
HWND GetMessageBoxOwner() {
    HWND hOwner = ::GetActiveWindow();
    CWinApp* pApp = CWinApp::GetApp();
    if (hOwner == nullptr && pApp != nullptr && pApp->m_pMainWnd != nullptr) {
        hOwner = pApp->m_pMainWnd->m_hWnd;
    }
    if (hOwner == nullptr) {
        ::EnumThreadWindows(::GetCurrentThreadId(), FindUsableWindow,
                            reinterpret_cast<LPARAM>(&hOwner));
    }
    return hOwner;
}

}  // namespace

int AppMessageBox(UINT nIdString, UINT nType) {
    std::wstring text;
    LoadStringText(nIdString, text);
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
            case MB_OK:
            case MB_OKCANCEL:
                nType |= MB_ICONEXCLAMATION;
                break;
            case MB_YESNO:
            case MB_YESNOCANCEL:
                nType |= MB_ICONQUESTION;
                break;
            default:
                break;
        }
    }
    return ::MessageBoxW(GetMessageBoxOwner(), text.c_str(), GetAppTitle().c_str(), nType);
}
