// A program built on the framework's entry point, started by EntryTest. Without arguments its
// InitInstance returns FALSE; with "loop" it posts WM_QUIT with code 7 and returns TRUE, so the
// exit code shows which way the entry went. 99 means the entry handed over the wrong state.
#include "framework/WinApp.h"

#include <cwchar>

class CEntryProbeApp : public CWinApp {
public:
    BOOL InitInstance() override {
        if (m_hInstance != ::GetModuleHandleW(nullptr) || GetApp() != this) {
            ::PostQuitMessage(99);
            return TRUE;
        }
        if (std::wcsstr(::GetCommandLineW(), L" loop") != nullptr) {
            ::PostQuitMessage(7);
            return TRUE;
        }
        return FALSE;
    }
};

CEntryProbeApp theApp;
