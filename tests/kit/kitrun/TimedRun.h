// A program of the kit run as a suite: in a job of its own, so that it and every process it
// started end together when the time is up, and with crash dialogs off.
#pragma once

#include <windows.h>

#include <string>

namespace kitrun {

// Exit code when the time limit ended the program.
constexpr DWORD kTimedOut = 124;

// Keeps Windows Error Reporting and the system's error boxes from stopping this process and
// the processes it starts (they inherit the error mode).
void NoCrashDialogs();

// Runs commandLine (its first word the program) for at most nSeconds; its output goes where
// this program's goes. The program's exit code, kTimedOut, or the start's Win32 error in
// *pnStartError (and the function's result) when it could not be started.
DWORD RunTimed(const std::wstring& program, std::wstring commandLine, DWORD nSeconds,
               DWORD* pnStartError);

}  // namespace kitrun
