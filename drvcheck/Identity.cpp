#include "drvcheck/Identity.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "install/InstallKey.h"

#ifndef DRVCHECK_VERSION
#define DRVCHECK_VERSION "0"
#endif
#ifndef DRVCHECK_COMMIT
#define DRVCHECK_COMMIT "unknown"
#endif

namespace {

std::string Narrow(const wchar_t* sz, size_t nMax) {
    std::string s;
    for (size_t i = 0; i < nMax && sz[i]; ++i)
        s += sz[i] >= 0x20 && sz[i] < 0x7F ? static_cast<char>(sz[i]) : '?';
    return s;
}

// The value the panel shows as the driver's version, from the view the 32-bit panel reads.
std::string DriverVersion() {
    std::wstring key = L"CLSID\\";
    key += reinterpret_cast<const wchar_t*>(INSTALL_CLSID);
    key += L"\\";
    key += reinterpret_cast<const wchar_t*>(INSTALL_SUBKEY);
    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                      &hKey) != ERROR_SUCCESS) {
        return std::string();
    }
    wchar_t szValue[INSTALL_TEXT_CHARS + 1] = {};
    DWORD nType = 0;
    DWORD nBytes = INSTALL_VALUE_LIMIT;
    LONG nStatus = RegQueryValueExW(hKey, reinterpret_cast<const wchar_t*>(INSTALL_VALUE_VERSION),
                                    NULL, &nType, reinterpret_cast<BYTE*>(szValue), &nBytes);
    RegCloseKey(hKey);
    if (nStatus != ERROR_SUCCESS || nType != REG_SZ)
        return std::string();
    return Narrow(szValue, nBytes / sizeof(wchar_t));
}

// RtlGetVersion tells the truth where GetVersionEx answers what the manifest admits to.
std::string WindowsVersion() {
    typedef LONG(WINAPI * RtlGetVersionFn)(OSVERSIONINFOW*);
    HMODULE hNtdll = GetModuleHandleW(L"ntdll.dll");
    FARPROC pProc = hNtdll ? GetProcAddress(hNtdll, "RtlGetVersion") : NULL;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    RtlGetVersionFn pGetVersion = NULL;
    static_assert(sizeof pProc == sizeof pGetVersion, "function pointers");
    std::memcpy(&pGetVersion, &pProc, sizeof pProc);
    if (!pGetVersion || pGetVersion(&info) != 0)
        return "unknown";
    char sz[64];
    std::snprintf(sz, sizeof sz, "%lu.%lu.%lu", static_cast<unsigned long>(info.dwMajorVersion),
                  static_cast<unsigned long>(info.dwMinorVersion),
                  static_cast<unsigned long>(info.dwBuildNumber));
    return sz;
}

bool Elevated() {
    HANDLE hToken = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return false;
    TOKEN_ELEVATION elevation = {};
    DWORD nSize = 0;
    BOOL bOk = GetTokenInformation(hToken, TokenElevation, &elevation, sizeof elevation, &nSize);
    CloseHandle(hToken);
    return bOk && elevation.TokenIsElevated != 0;
}

}  // namespace

ReportIdentity ReadIdentity() {
    ReportIdentity id;
    id.version = DRVCHECK_VERSION;
    id.commit = DRVCHECK_COMMIT;
    id.driverVersion = DriverVersion();
    id.windows = WindowsVersion();
    id.bElevated = Elevated();
    return id;
}
