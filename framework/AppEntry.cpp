// The program's entry point: runs the one application object.
#include "framework/WinApp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    CWinApp* pApp = CWinApp::GetApp();
    return pApp != nullptr ? pApp->Main(hInstance) : 0;
}
