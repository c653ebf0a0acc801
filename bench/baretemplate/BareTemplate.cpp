// baretemplate: the settings dialog's template 187, taken from Tkdp3340.exe's own resources and
// shown with a bare DialogBoxParamW: the common controls registered (the template holds a
// trackbar), the same manifest, and nothing else: no driver, no registry, no string table, no
// framework. The panel has to show this template in any case, so its launch time is the
// reference of the panel's launch overhead.
//
//   baretemplate PATH_OF_Tkdp3340.exe
#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

constexpr WORD kSettingsTemplate = 187;

// The template's caption is empty; the launch benchmark finds the window by this title. The
// close box ends it (the benchmark ends it by itself in any case).
INT_PTR CALLBACK BareTemplateProc(HWND hWnd, UINT nMsg, WPARAM, LPARAM) {
    switch (nMsg) {
        case WM_INITDIALOG:
            SetWindowTextW(hWnd, L"Bare Settings Template");
            return TRUE;
        case WM_CLOSE:
            EndDialog(hWnd, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR pszCmdLine, int) {
    std::wstring path = pszCmdLine != nullptr ? pszCmdLine : L"";
    const size_t nFirst = path.find_first_not_of(L" \"");
    const size_t nLast = path.find_last_not_of(L" \"");
    path = nFirst == std::wstring::npos ? std::wstring() : path.substr(nFirst, nLast - nFirst + 1);

    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    HMODULE hPanel = LoadLibraryExW(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (hPanel == NULL)
        return 2;
    INT_PTR nResult =
        DialogBoxParamW(hPanel, MAKEINTRESOURCEW(kSettingsTemplate), NULL, BareTemplateProc, 0);
    FreeLibrary(hPanel);
    return static_cast<int>(nResult);
}
