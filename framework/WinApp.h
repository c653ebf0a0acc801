// The application object. A program defines exactly one global object of a class derived from
// CWinApp; the framework's entry point (AppEntry.cpp, target kp_framework_entry) finds it and
// runs it.
#pragma once

#include "framework/Wnd.h"

#include <cstddef>
#include <string>

// The framework's Help command.
constexpr UINT ID_HELP = 0xE146;

class CWinApp;

// The application's command map: a command that the dialog showing it does not handle is looked
// up here, the class's entries before its base's.
struct AppCmdEntry {
    UINT nID;
    void (CWinApp::*pfn)();
};
struct AppMsgMap {
    const AppMsgMap* (*pfnGetBaseMap)();  // null for the root
    const AppCmdEntry* pEntries;
    std::size_t nEntries;
};

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The program's one application object, or null when the program has none (as in tests).
    static CWinApp* GetApp();

    virtual const AppMsgMap* GetMessageMap() const;
    static const AppMsgMap* GetThisMessageMap();

    // Called once at start. FALSE ends the program at once with ExitInstance's result; TRUE
    // runs the message loop until WM_QUIT.
    virtual BOOL InitInstance() = 0;
    virtual int Run();
    // The program's exit code: the WM_QUIT code, 0 when the loop never ran.
    virtual int ExitInstance();

    // The entry point's whole work.
    int Main(HINSTANCE hInstance);

    // Runs the map's handler of command nID; FALSE when no entry has it.
    BOOL OnCmdMsg(UINT nID);
    // The default help handler: opens the program's help file when one lies beside it; a
    // program shipped without one does nothing rather than show an error.
    void OnHelp();
    // The program's own path with the extension .HLP; empty when the path cannot be read.
    std::wstring GetHelpFilePath() const;

    HINSTANCE m_hInstance = nullptr;
    // Optional; the loop routes dialog keys to it and message boxes fall back to it as owner.
    CWnd* m_pMainWnd = nullptr;

private:
    int m_nExitCode = 0;
};

// The module that holds the program's resources: the exe itself (or the test binary).
inline HINSTANCE GetResourceModule() {
    return ::GetModuleHandleW(nullptr);
}
