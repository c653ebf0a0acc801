#include "drvcheck/Interrupt.h"

#include <windows.h>

namespace {

volatile LONG g_nEvent = -1;
HANDLE g_hFinished = NULL;

// Windows ends the process 5 s after a close event (logoff and shutdown give as much): the
// restore of a slow unit must finish within that.
constexpr DWORD kFinishWaitMs = 4500;

BOOL WINAPI OnConsoleControl(DWORD nEvent) {
    switch (nEvent) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            InterlockedCompareExchange(&g_nEvent, static_cast<LONG>(nEvent), -1);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            InterlockedCompareExchange(&g_nEvent, static_cast<LONG>(nEvent), -1);
            if (g_hFinished)
                WaitForSingleObject(g_hFinished, kFinishWaitMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void CatchInterrupt() {
    g_hFinished = CreateEventW(NULL, TRUE, FALSE, NULL);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool Interrupted() {
    return InterlockedCompareExchange(&g_nEvent, -1, -1) != -1;
}

const char* InterruptName() {
    switch (InterlockedCompareExchange(&g_nEvent, -1, -1)) {
        case CTRL_C_EVENT:
            return "Ctrl-C";
        case CTRL_BREAK_EVENT:
            return "Ctrl-Break";
        case CTRL_CLOSE_EVENT:
            return "console closed";
        case CTRL_LOGOFF_EVENT:
            return "log-off";
        case CTRL_SHUTDOWN_EVENT:
            return "shutdown";
        default:
            return "";
    }
}

void RunFinished() {
    if (g_hFinished)
        SetEvent(g_hFinished);
}
