// mindialog: the smallest dialog program, the reference for the panel's launch-to-visible time
// and working set. One template, one modal dialog from it; OK, Escape or the close box end it.
#include <windows.h>

#include "bench/mindialog/MinDialog.h"

namespace {

INT_PTR CALLBACK MinDialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM) {
    if (nMsg == WM_INITDIALOG)
        return TRUE;
    if (nMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hWnd, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    return static_cast<int>(
        DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_MINDIALOG), NULL, MinDialogProc, 0));
}
