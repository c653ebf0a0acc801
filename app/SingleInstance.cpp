#include "app/SingleInstance.h"

#include "text/TextFormat.h"
#include "text/WideText.h"

namespace {
// A window text is read into this many characters and compared on one fewer, so a longer
// text is cut and still terminated.
constexpr int kWindowTextChars = 516;
constexpr int kWindowTextRead = kWindowTextChars - 1;
}  // namespace

std::wstring MakeMutexName() {
    return ToWide(FormatText(u"com.kestal-audio-works.%s", {u"Tkdp3340.exe"}));
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
    wchar_t szText[kWindowTextChars];
    szText[0] = 0;
    GetWindowTextW(hWnd, szText, kWindowTextRead);
    szText[kWindowTextRead] = 0;
    if (!TitleMatches(szTitle, szText))
        return TRUE;
    ShowWindow(hWnd, SW_SHOW);
    BringWindowToTop(hWnd);
    SetForegroundWindow(hWnd);
    return FALSE;
}
