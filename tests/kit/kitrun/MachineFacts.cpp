#include "tests/kit/kitrun/MachineFacts.h"

#include <windows.h>

#include <string>

namespace kitrun {

namespace {

// One value of Windows' own version key, or "" when it is missing or not of the type.
std::wstring VersionValue(LPCWSTR szName, DWORD nFlags) {
    wchar_t szText[256] = {};
    DWORD nNumber = 0;
    void* pData = nFlags == RRF_RT_REG_DWORD ? static_cast<void*>(&nNumber) : szText;
    DWORD nBytes = nFlags == RRF_RT_REG_DWORD ? sizeof nNumber : sizeof szText - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", szName,
                     nFlags | RRF_SUBKEY_WOW6464KEY, NULL, pData, &nBytes) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return nFlags == RRF_RT_REG_DWORD ? std::to_wstring(nNumber) : std::wstring(szText);
}

void Line(std::FILE* out, const char* szName, const std::wstring& value) {
    char szValue[512] = {};
    WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, szValue, sizeof szValue - 1, NULL, NULL);
    std::fprintf(out, "%s: %s\r\n", szName, szValue[0] ? szValue : "(not known)");
}

const wchar_t* MachineName(USHORT nMachine) {
    switch (nMachine) {
        case IMAGE_FILE_MACHINE_I386:
            return L"x86 (32-bit)";
        case IMAGE_FILE_MACHINE_AMD64:
            return L"x64 (64-bit)";
        case 0xAA64:
            return L"ARM64";
        case IMAGE_FILE_MACHINE_UNKNOWN:
            return L"";
        default:
            return L"another processor";
    }
}

// The processor Windows runs on; a 32-bit program on 64-bit Windows sees it too.
std::wstring NativeMachine() {
    typedef BOOL(WINAPI * IsWow64Process2Fn)(HANDLE, USHORT*, USHORT*);
    auto pIsWow64Process2 = reinterpret_cast<IsWow64Process2Fn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2")));
    USHORT nProcess = 0, nNative = 0;
    if (pIsWow64Process2 != nullptr && pIsWow64Process2(GetCurrentProcess(), &nProcess, &nNative))
        return MachineName(nNative);
    SYSTEM_INFO info = {};
    GetNativeSystemInfo(&info);
    switch (info.wProcessorArchitecture) {
        case PROCESSOR_ARCHITECTURE_INTEL:
            return MachineName(IMAGE_FILE_MACHINE_I386);
        case PROCESSOR_ARCHITECTURE_AMD64:
            return MachineName(IMAGE_FILE_MACHINE_AMD64);
        default:
            return MachineName(0xAA64);
    }
}

std::wstring Elevation() {
    HANDLE hToken = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken))
        return std::wstring();
    TOKEN_ELEVATION elevation = {};
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD nBytes = 0;
    std::wstring text;
    if (GetTokenInformation(hToken, TokenElevation, &elevation, sizeof elevation, &nBytes))
        text = elevation.TokenIsElevated ? L"elevated (Run as administrator)" : L"not elevated";
    if (GetTokenInformation(hToken, TokenElevationType, &type, sizeof type, &nBytes) &&
        type == TokenElevationTypeDefault) {
        text += L", user account control not splitting this account's token";
    }
    CloseHandle(hToken);
    return text;
}

std::wstring LocaleName(LCID nLocale) {
    wchar_t sz[LOCALE_NAME_MAX_LENGTH] = {};
    if (LCIDToLocaleName(nLocale, sz, LOCALE_NAME_MAX_LENGTH, 0) == 0)
        return std::wstring();
    return sz;
}

// The scale of the main display, as the settings show it (100 % is 96 dots per inch).
std::wstring DisplayScale() {
    typedef BOOL(WINAPI * SetProcessDPIAwareFn)();
    auto pSetProcessDPIAware = reinterpret_cast<SetProcessDPIAwareFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware")));
    if (pSetProcessDPIAware != nullptr)
        pSetProcessDPIAware();
    HDC hdc = GetDC(NULL);
    if (hdc == NULL)
        return std::wstring();
    int nDpi = GetDeviceCaps(hdc, LOGPIXELSX);
    ReleaseDC(NULL, hdc);
    if (nDpi <= 0)
        return std::wstring();
    return std::to_wstring((nDpi * 100 + 48) / 96) + L" % (" + std::to_wstring(nDpi) + L" dpi)";
}

}  // namespace

void PrintMachineFacts(std::FILE* out) {
    std::wstring version = VersionValue(L"ProductName", RRF_RT_REG_SZ);
    std::wstring edition = VersionValue(L"EditionID", RRF_RT_REG_SZ);
    std::wstring release = VersionValue(L"DisplayVersion", RRF_RT_REG_SZ);
    if (!edition.empty())
        version += L", edition " + edition;
    if (!release.empty())
        version += L", version " + release;
    Line(out, "windows", version);
    // Windows 11 still names itself Windows 10 in ProductName: its build tells them apart.
    std::wstring build = VersionValue(L"CurrentBuild", RRF_RT_REG_SZ);
    std::wstring revision = VersionValue(L"UBR", RRF_RT_REG_DWORD);
    if (!revision.empty())
        build += L"." + revision;
    Line(out, "build", build);
    Line(out, "display language", LocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT)));
    Line(out, "regional format", LocaleName(GetUserDefaultLCID()));
    Line(out, "display scale", DisplayScale());
    Line(out, "elevation", Elevation());
    Line(out, "processor of windows", NativeMachine());
}

bool InputIsConsole() {
    DWORD nMode = 0;
    HANDLE hInput = GetStdHandle(STD_INPUT_HANDLE);
    return GetFileType(hInput) == FILE_TYPE_CHAR && GetConsoleMode(hInput, &nMode);
}

}  // namespace kitrun
