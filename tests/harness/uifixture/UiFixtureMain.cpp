// A dialog that shows in its own static controls what reached it, so that a test can see
// exactly which notifications uiprobe's actions produced. Ends with 1 for OK, 2 for Cancel.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "UiFixture.h"

namespace {

void Append(HWND hDlg, int nId, const std::wstring& event) {
    wchar_t sz[512];
    GetDlgItemTextW(hDlg, nId, sz, 512);
    std::wstring text = sz;
    if (!text.empty())
        text += L' ';
    SetDlgItemTextW(hDlg, nId, (text + event).c_str());
}

// The English readme of the installation key, opened as the panel opens it: the key from the
// 32-bit registry view, whichever build this is, and the shell's "open" verb.
void OpenReadme() {
    wchar_t szFolder[360] = {};
    DWORD nSize = sizeof szFolder - sizeof(wchar_t);
    HKEY hKey;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\\TKID0340",
                      0, KEY_READ | KEY_WOW64_32KEY, &hKey) != ERROR_SUCCESS) {
        return;
    }
    LONG nResult =
        RegQueryValueExW(hKey, NULL, NULL, NULL, reinterpret_cast<BYTE*>(szFolder), &nSize);
    RegCloseKey(hKey);
    if (nResult != ERROR_SUCCESS)
        return;
    std::wstring path = std::wstring(szFolder) + L"\\Readme\\Readme_EN.htm";
    ShellExecuteW(NULL, L"open", path.c_str(), L"", L"", SW_SHOW);
}

void Init(HWND hDlg) {
    HWND hCombo = GetDlgItem(hDlg, IDC_COMBO);
    const int kRates[] = {44100, 48000, 96000};
    for (int nRate : kRates) {
        LRESULT i = SendMessageW(hCombo, CB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(std::to_wstring(nRate).c_str()));
        SendMessageW(hCombo, CB_SETITEMDATA, i, nRate);
    }
    SendMessageW(hCombo, CB_SETCURSEL, 0, 0);
    HWND hSlider = GetDlgItem(hDlg, IDC_SLIDER);
    SendMessageW(hSlider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 9));
    for (int i = 1; i < 9; ++i)
        SendMessageW(hSlider, TBM_SETTIC, 0, i);
    SendMessageW(hSlider, TBM_SETPOS, TRUE, 4);
}

INT_PTR CALLBACK FixtureProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM) {
    switch (nMsg) {
        case WM_INITDIALOG:
            Init(hDlg);
            return TRUE;
        case WM_HSCROLL:
            Append(hDlg, IDC_SCROLL_EVENTS,
                   std::to_wstring(LOWORD(wParam)) + L":" +
                       std::to_wstring(SendDlgItemMessageW(hDlg, IDC_SLIDER, TBM_GETPOS, 0, 0)));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_ASK: {
                    int n = MessageBoxW(hDlg, L"Apply now?", L" ", MB_YESNO | MB_ICONQUESTION);
                    SetDlgItemTextW(hDlg, IDC_ANSWER, n == IDYES ? L"yes" : L"no");
                    return TRUE;
                }
                case IDC_COMBO:
                    if (HIWORD(wParam) == CBN_DROPDOWN)
                        Append(hDlg, IDC_COMBO_EVENTS, L"dropdown");
                    if (HIWORD(wParam) == CBN_CLOSEUP)
                        Append(hDlg, IDC_COMBO_EVENTS, L"closeup");
                    if (HIWORD(wParam) == CBN_SELENDOK)
                        Append(hDlg, IDC_COMBO_EVENTS, L"selendok");
                    if (HIWORD(wParam) == CBN_SELENDCANCEL) {
                        Append(hDlg, IDC_COMBO_EVENTS, L"selendcancel");
                    }
                    if (HIWORD(wParam) == CBN_SELCHANGE) {
                        HWND hCombo = GetDlgItem(hDlg, IDC_COMBO);
                        LRESULT i = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
                        Append(hDlg, IDC_COMBO_EVENTS, L"selchange");
                        SetDlgItemTextW(
                            hDlg, IDC_PICKED,
                            std::to_wstring(SendMessageW(hCombo, CB_GETITEMDATA, i, 0)).c_str());
                    }
                    return TRUE;
                case IDC_README:
                    OpenReadme();
                    return TRUE;
                case IDC_DISABLED:
                case IDC_HIDDEN:
                    Append(hDlg, IDC_KEYS, L"unreachable");
                    return TRUE;
                case IDOK:
                    EndDialog(hDlg, 1);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(hDlg, 2);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    return static_cast<int>(
        DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_FIXTURE), NULL, FixtureProc, 0));
}
