// Compiled into every Windows test program: a crash ends the program at once, with its exit
// code, instead of waiting on Windows Error Reporting's dialog or Wine's debugger; the Windows
// test kit counts it as a failed suite and goes on.
#include <windows.h>

#include <cstdio>

namespace {

// Wine starts its debugger whatever the error mode says; a filter of our own ends the process.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* pException) {
    std::fflush(stdout);
    std::fprintf(stderr, "\ncrashed: exception 0x%08lx\n",
                 static_cast<unsigned long>(pException->ExceptionRecord->ExceptionCode));
    std::fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

struct NoCrashDialogs {
    NoCrashDialogs() {
        SetUnhandledExceptionFilter(EndOnCrash);
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
        // Looked up: WerSetFlags is missing from Wine.
        typedef HRESULT(WINAPI * WerSetFlagsFn)(DWORD);
        auto pWerSetFlags = reinterpret_cast<WerSetFlagsFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "WerSetFlags")));
        if (pWerSetFlags != nullptr)
            pWerSetFlags(4);  // WER_FAULT_REPORTING_NO_UI
    }
};

const NoCrashDialogs g_noCrashDialogs;

}  // namespace
