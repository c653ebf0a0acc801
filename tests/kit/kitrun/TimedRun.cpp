#include "tests/kit/kitrun/TimedRun.h"

#include <cstdio>

namespace kitrun {

namespace {

class Handle {
public:
    explicit Handle(HANDLE h = NULL) : m_h(h) {}
    ~Handle() {
        if (m_h != NULL && m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

// Wine starts its debugger whatever the error mode says; a filter of our own ends the process.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS*) {
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void NoCrashDialogs() {
    SetUnhandledExceptionFilter(EndOnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // Looked up: WerSetFlags is missing from older systems and from Wine.
    typedef HRESULT(WINAPI * WerSetFlagsFn)(DWORD);
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    auto pWerSetFlags = reinterpret_cast<WerSetFlagsFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(hKernel, "WerSetFlags")));
    if (pWerSetFlags != nullptr)
        pWerSetFlags(4);  // WER_FAULT_REPORTING_NO_UI
}

DWORD RunTimed(const std::wstring& program, std::wstring commandLine, DWORD nSeconds,
               DWORD* pnStartError) {
    *pnStartError = ERROR_SUCCESS;
    Handle job(CreateJobObjectW(NULL, NULL));
    if (job.Get() != NULL) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits,
                                sizeof limits);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], NULL, NULL, TRUE, CREATE_SUSPENDED, NULL,
                        NULL, &startup, &process)) {
        *pnStartError = GetLastError();
        return *pnStartError;
    }
    Handle hProcess(process.hProcess), hThread(process.hThread);
    // In the job before its first instruction, so that whatever it starts is in the job too.
    if (job.Get() != NULL)
        AssignProcessToJobObject(job.Get(), hProcess.Get());
    ResumeThread(hThread.Get());
    if (WaitForSingleObject(hProcess.Get(), nSeconds * 1000) != WAIT_OBJECT_0) {
        if (job.Get() == NULL || !TerminateJobObject(job.Get(), kTimedOut))
            TerminateProcess(hProcess.Get(), kTimedOut);
        WaitForSingleObject(hProcess.Get(), 10000);
        std::fflush(stdout);
        std::fprintf(stderr, "\nkitrun: not ended within the time limit of %lu s: ended it\n",
                     static_cast<unsigned long>(nSeconds));
        return kTimedOut;
    }
    DWORD nCode = 0;
    GetExitCodeProcess(hProcess.Get(), &nCode);
    return nCode;
}

}  // namespace kitrun
