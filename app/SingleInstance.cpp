#include "app/SingleInstance.h"

#include "text/TextFormat.h"

std::wstring MakeMutexName() {
    std::u16string name = FormatText(u"com.kestal-audio-works.%s", {u"Tkdp3340.exe"});
    return std::wstring(name.begin(), name.end());
}

// Stops at the first difference, so the window text is never read past its terminator.
bool TitleMatches(const wchar_t* szTitle, const wchar_t* szWindowText) {
    for (size_t i = 0; szTitle[i] != 0; ++i) {
        if (szWindowText[i] != szTitle[i])
            return false;
    }
    return true;
}

BOOL CALLBACK ActivateRunningInstance(HWND hWnd, LPARAM lParam) {
    const wchar_t* szTitle = reinterpret_cast<const wchar_t*>(lParam);
    wchar_t szText[516];
    szText[0] = 0;
    GetWindowTextW(hWnd, szText, 515);
    szText[515] = 0;
    if (!TitleMatches(szTitle, szText))
        return TRUE;
    ShowWindow(hWnd, SW_SHOW);
    BringWindowToTop(hWnd);
    SetForegroundWindow(hWnd);
    return FALSE;
}
