// ctrlevent.exe NAME EVENT: delivers console control event EVENT (2 console closed, 5 log-off,
// 6 shutdown) to every running process whose exe is NAME, as Windows delivers it: a new thread
// in that process runs kernelbase's CtrlRoutine with the event, and the handlers run there.
// Under Wine's null driver there is no console window a test could close. Prints one line per
// process reached and exits 0 when at least one was; 1 otherwise.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool SameName(const wchar_t* szExe, const char* szName) {
    for (size_t i = 0;; ++i) {
        wchar_t a = szExe[i] < 0x80 ? static_cast<wchar_t>(towlower(szExe[i])) : szExe[i];
        wchar_t b = static_cast<wchar_t>(tolower(static_cast<unsigned char>(szName[i])));
        if (a != b)
            return false;
        if (a == 0)
            return true;
    }
}

bool Deliver(DWORD nPid, LPTHREAD_START_ROUTINE pRoutine, DWORD nEvent) {
    HANDLE hProcess = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                      PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                                  FALSE, nPid);
    if (!hProcess) {
        std::fprintf(stderr, "ctrlevent: process %lu does not open (%lu)\n",
                     static_cast<unsigned long>(nPid), static_cast<unsigned long>(GetLastError()));
        return false;
    }
    HANDLE hThread =
        CreateRemoteThread(hProcess, NULL, 0, pRoutine,
                           reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(nEvent)), 0, NULL);
    DWORD nError = GetLastError();
    CloseHandle(hProcess);
    if (!hThread) {
        std::fprintf(stderr, "ctrlevent: no thread in process %lu (%lu)\n",
                     static_cast<unsigned long>(nPid), static_cast<unsigned long>(nError));
        return false;
    }
    CloseHandle(hThread);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ctrlevent NAME EVENT\n");
        return 2;
    }
    const DWORD nEvent = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    // kernelbase is mapped at the same address in every process of the session.
    FARPROC pProc = GetProcAddress(GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine");
    if (!pProc) {
        std::fprintf(stderr, "ctrlevent: kernelbase has no CtrlRoutine\n");
        return 1;
    }
    LPTHREAD_START_ROUTINE pRoutine = NULL;
    static_assert(sizeof pRoutine == sizeof pProc, "function pointers");
    std::memcpy(&pRoutine, &pProc, sizeof pProc);

    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnap == INVALID_HANDLE_VALUE)
        return 1;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    int nReached = 0;
    for (BOOL b = Process32FirstW(hSnap, &entry); b; b = Process32NextW(hSnap, &entry)) {
        if (SameName(entry.szExeFile, argv[1]) && Deliver(entry.th32ProcessID, pRoutine, nEvent)) {
            std::printf("event %lu sent to process %lu\n", static_cast<unsigned long>(nEvent),
                        static_cast<unsigned long>(entry.th32ProcessID));
            ++nReached;
        }
    }
    CloseHandle(hSnap);
    return nReached > 0 ? 0 : 1;
}
