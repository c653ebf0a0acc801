#include "framework/WinApp.h"

namespace {
// The one application object registers itself here while it exists.
CWinApp* g_pApp = nullptr;
}  // namespace

CWinApp::CWinApp() {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

CWinApp* CWinApp::GetApp() {
    return g_pApp;
}

int CWinApp::Main(HINSTANCE hInstance) {
    m_hInstance = hInstance;
    if (!InitInstance()) {
        return ExitInstance();
    }
    return Run();
}

int CWinApp::Run() {
    MSG msg;
    BOOL bGot;
    while ((bGot = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (bGot == -1) {
            break;
        }
        HWND hMain = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
        if (hMain == nullptr || !::IsDialogMessageW(hMain, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (bGot == 0) {
        m_nExitCode = static_cast<int>(msg.wParam);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return m_nExitCode;
}
