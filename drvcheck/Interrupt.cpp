#include "drvcheck/Interrupt.h"

#include <windows.h>

namespace {

volatile LONG g_nInterrupted = 0;

BOOL WINAPI OnConsoleControl(DWORD nEvent) {
    if (nEvent != CTRL_C_EVENT && nEvent != CTRL_BREAK_EVENT)
        return FALSE;
    InterlockedExchange(&g_nInterrupted, 1);
    return TRUE;
}

}  // namespace

void CatchInterrupt() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool Interrupted() {
    return InterlockedCompareExchange(&g_nInterrupted, 0, 0) != 0;
}
