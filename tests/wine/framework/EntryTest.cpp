// The framework's entry point runs the program's one application object: InitInstance FALSE ends
// the program with exit code 0, TRUE runs the message loop until WM_QUIT and exits with its code.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// Runs the probe program next to this test binary; its exit code, or -1.
int RunEntryProbe(const std::wstring& args) {
    wchar_t szPath[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring path = szPath;
    path.erase(path.find_last_of(L"\\/") + 1);
    path += L"fw_entry_probe.exe";
    std::wstring cmd = L"\"" + path + L"\"" + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!::CreateProcessW(path.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &pi)) {
        ADD_FAILURE() << "cannot start the probe, error " << ::GetLastError();
        return -1;
    }
    DWORD nExit = static_cast<DWORD>(-1);
    if (::WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(pi.hProcess, &nExit);
    } else {
        ADD_FAILURE() << "the probe did not end";
        ::TerminateProcess(pi.hProcess, 1);
    }
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return static_cast<int>(nExit);
}

TEST(AppEntry, InitInstanceFalseEndsTheProgramWithExitCodeZero) {
    EXPECT_EQ(0, RunEntryProbe(L""));
}

TEST(AppEntry, InitInstanceTrueRunsTheLoopUntilQuit) {
    EXPECT_EQ(7, RunEntryProbe(L" loop"));
}

}  // namespace
