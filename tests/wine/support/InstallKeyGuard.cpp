// Linked into the suites that write the installation key. The machine's own key (an installed
// driver's) is moved out of the way before the first test and put back after the last, on top of
// what each test's own scope restores. A suite that may not write the key, as a user without
// elevation on Windows, ends before its first test with INSTALL_KEY_NEEDS_ELEVATION and one line
// that says so, rather than failing every test.
// The kit's own test under Wine makes a suite crash or hang while the key is replaced
// (KP_KIT_TEST_FAULT=SUITE=crash|hang,...), to see run-tests.cmd put the machine's key back.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "tests/wine/support/InstallTestSupport.h"

namespace {

// The key lives in the machine's classes; creating a subkey there is what the tests need.
bool MayWriteTheInstallKey() {
    HKEY hKey = NULL;
    LONG nError = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID", 0,
                                KEY_CREATE_SUB_KEY | KEY_WOW64_32KEY, &hKey);
    if (nError == ERROR_SUCCESS)
        RegCloseKey(hKey);
    return nError != ERROR_ACCESS_DENIED;
}

// What KP_KIT_TEST_FAULT asks of this program: "crash", "hang" or nothing.
std::wstring FaultAsked() {
    wchar_t szList[256] = {}, szPath[MAX_PATH + 1] = {};
    DWORD n = GetEnvironmentVariableW(L"KP_KIT_TEST_FAULT", szList, 255);
    if (n == 0 || n >= 255 || GetModuleFileNameW(NULL, szPath, MAX_PATH) == 0)
        return std::wstring();
    std::wstring name = szPath;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    name = name.substr(0, name.rfind(L'.')) + L"=";
    std::wstring list = std::wstring(L",") + szList + L",";
    size_t nAt = list.find(L"," + name);
    if (nAt == std::wstring::npos)
        return std::wstring();
    nAt += name.size() + 1;
    return list.substr(nAt, list.find(L',', nAt) - nAt);
}

DWORD WINAPI CrashThread(LPVOID) {
    // On a thread of its own: GoogleTest catches what its own thread raises.
    int* volatile pNowhere = nullptr;
    *pNowhere = 1;
    return 0;
}

// The key now holds a value of the test's own, as in the middle of a test.
void Fault(CInstallKeyScope* pKey, const std::wstring& fault) {
    pKey->SetString(L"KitTestFault", fault);
    std::printf("kit test: this suite %ls now, the installation key replaced\n", fault.c_str());
    std::fflush(stdout);
    if (fault == L"crash") {
        HANDLE hThread = CreateThread(NULL, 0, CrashThread, NULL, 0, NULL);
        WaitForSingleObject(hThread, INFINITE);
    }
    Sleep(INFINITE);
}

class InstallKeyGuard : public ::testing::Environment {
public:
    void SetUp() override {
        if (!MayWriteTheInstallKey()) {
            std::printf(
                "needs elevation: these tests replace the installation key"
                " HKEY_CLASSES_ROOT\\CLSID\\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\\TKID0340"
                " for a moment; none ran\n");
            std::fflush(stdout);
            std::exit(INSTALL_KEY_NEEDS_ELEVATION);
        }
        m_key = std::make_unique<CInstallKeyScope>();
        ASSERT_TRUE(m_key->Ready()) << m_key->Error();
        std::wstring fault = FaultAsked();
        if (fault == L"crash" || fault == L"hang")
            Fault(m_key.get(), fault);
    }
    void TearDown() override { m_key.reset(); }

private:
    std::unique_ptr<CInstallKeyScope> m_key;
};

::testing::Environment* const g_guard = ::testing::AddGlobalTestEnvironment(new InstallKeyGuard);

}  // namespace
