// Linked into the suites that write the installation key. The machine's own key (an installed
// driver's) is moved out of the way before the first test and put back after the last, on top of
// what each test's own scope restores. A suite that may not write the key, as a user without
// elevation on Windows, ends before its first test with INSTALL_KEY_NEEDS_ELEVATION and one line
// that says so, rather than failing every test.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

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
    }
    void TearDown() override { m_key.reset(); }

private:
    std::unique_ptr<CInstallKeyScope> m_key;
};

::testing::Environment* const g_guard = ::testing::AddGlobalTestEnvironment(new InstallKeyGuard);

}  // namespace
