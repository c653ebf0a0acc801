#include "install/InstallInfo.h"

#include <shellapi.h>

#include "res/resource.h"
#include "text/TextFormat.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "WCHAR and char16_t share one layout");

namespace {

// The installation writes the key for the 32-bit program, which sees the 32-bit view with
// KEY_READ alone; a 64-bit build has to ask for that view.
#ifdef _WIN64
constexpr REGSAM INSTALL_KEY_ACCESS = KEY_READ | KEY_WOW64_32KEY;
#else
constexpr REGSAM INSTALL_KEY_ACCESS = KEY_READ;
#endif

const char16_t* U16(const wchar_t* sz) {
    return reinterpret_cast<const char16_t*>(sz);
}

const wchar_t* Wide(const char16_t* sz) {
    return reinterpret_cast<const wchar_t*>(sz);
}

std::u16string_view U16(const std::wstring& s) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size());
}

std::wstring Wide(const std::u16string& s) {
    return std::wstring(reinterpret_cast<const wchar_t*>(s.data()), s.size());
}

std::u16string InstallKeyPath(const wchar_t* szSubkey) {
    return FormatText(u"%s\\%s\\%s", {u"CLSID", INSTALL_CLSID, U16(szSubkey)});
}

// The table entry itself, in the user-interface language; an empty entry counts as missing.
BOOL LoadTableString(UINT nId, std::wstring& text) {
    const wchar_t* p = nullptr;
    int n = LoadStringW(GetModuleHandleW(NULL), nId, reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0 || p == nullptr)
        return FALSE;
    text.assign(p, static_cast<size_t>(n));
    return TRUE;
}

BOOL ReadInstallValue(LPCWSTR szValueName, WCHAR (&szValue)[INSTALL_TEXT_CHARS]) {
    return ReadRegString(HKEY_CLASSES_ROOT, MakeInstallKeyPath().c_str(), szValueName, szValue,
                         INSTALL_VALUE_LIMIT);
}

}  // namespace

std::wstring MakeInstallKeyPath() {
    return Wide(InstallKeyPath(Wide(INSTALL_SUBKEY)));
}

BOOL ReadRegString(HKEY hRoot, LPCWSTR szKeyPath, LPCWSTR szValueName, LPWSTR pszBuffer,
                   DWORD nByteLimit) {
    if (szKeyPath == nullptr || pszBuffer == nullptr)
        return FALSE;
    HKEY hKey = NULL;
    if (RegOpenKeyExW(hRoot, szKeyPath, 0, INSTALL_KEY_ACCESS, &hKey) != ERROR_SUCCESS)
        return FALSE;
    DWORD nType = 0;
    DWORD nSize = 0;
    BOOL bOk = RegQueryValueExW(hKey, szValueName, NULL, &nType, NULL, &nSize) == ERROR_SUCCESS &&
               nSize < nByteLimit;
    if (bOk) {
        nSize = nByteLimit;
        bOk = RegQueryValueExW(hKey, szValueName, NULL, &nType, reinterpret_cast<LPBYTE>(pszBuffer),
                               &nSize) == ERROR_SUCCESS;
        // The value may have grown since the size query; only a size below the limit leaves
        // room for the terminator.
        if (bOk && nSize >= nByteLimit)
            bOk = FALSE;
    }
    RegCloseKey(hKey);
    if (!bOk)
        return FALSE;
    // Text stored without a terminator ends with the data; half a unit is no character.
    pszBuffer[nSize / sizeof(WCHAR)] = L'\0';
    return TRUE;
}

LPWSTR ReadInstallDefault(LPWSTR pszBuffer, LPCWSTR szSubkey) {
    if (szSubkey == nullptr)
        return nullptr;
    std::u16string path = InstallKeyPath(szSubkey);
    if (path.size() >= static_cast<size_t>(INSTALL_TEXT_CHARS))
        return nullptr;
    if (!ReadRegString(HKEY_CLASSES_ROOT, reinterpret_cast<LPCWSTR>(path.c_str()), NULL, pszBuffer,
                       INSTALL_VALUE_LIMIT)) {
        return nullptr;
    }
    return pszBuffer;
}

BOOL IsExistingFile(LPCWSTR szPath) {
    if (szPath == nullptr)
        return FALSE;
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(szPath, &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(hFind);
    return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FALSE : TRUE;
}

std::wstring GetReadmePath() {
    WCHAR szFolder[INSTALL_TEXT_CHARS] = {};
    if (ReadInstallDefault(szFolder, Wide(INSTALL_SUBKEY)) == nullptr || szFolder[0] == L'\0') {
        return std::wstring();
    }
    std::wstring name;
    if (!LoadTableString(IDS_README_NAME, name))
        return std::wstring();
    return Wide(FormatText(u"%s\\%s", {U16(szFolder), U16(name.c_str())}));
}

BOOL IsReadmeAvailable() {
    std::wstring path = GetReadmePath();
    if (path.empty())
        return FALSE;
    return IsExistingFile(path.c_str());
}

void OpenReadme() {
    if (!IsReadmeAvailable())
        return;
    std::wstring path = GetReadmePath();
    // The shell is loaded only when the user asks for the readme, so that no opening of the
    // dialog pays for its libraries. It stays loaded: what it started may still run on it.
    HMODULE hShell = LoadLibraryW(L"shell32.dll");
    FARPROC pProc = hShell != NULL ? GetProcAddress(hShell, "ShellExecuteW") : nullptr;
    if (pProc == nullptr)
        return;
    auto pShellExecute =
        reinterpret_cast<decltype(&ShellExecuteW)>(reinterpret_cast<void (*)()>(pProc));
    // Whatever the shell answers, there is nothing the user should be told.
    pShellExecute(NULL, L"open", path.c_str(), L"", L"", SW_SHOW);
}

std::wstring MakeDriverVersionLine() {
    WCHAR szVersion[INSTALL_TEXT_CHARS] = {};
    std::wstring format;
    if (!ReadInstallValue(Wide(INSTALL_VALUE_VERSION), szVersion) ||
        !LoadTableString(IDS_PROP_VER, format)) {
        return std::wstring();
    }
    std::u16string line = ReplaceAll(U16(format), u"__MODEL__", MODEL_STRING);
    return Wide(ReplaceAll(line, u"__VERSION__", U16(szVersion)));
}

BOOL MakeCopyrightLine(std::wstring& text) {
    WCHAR szCopyright[INSTALL_TEXT_CHARS] = {};
    if (ReadInstallValue(Wide(INSTALL_VALUE_COPYRIGHT), szCopyright)) {
        text = szCopyright;
        return TRUE;
    }
    return LoadTableString(IDS_PROP_COPYR, text);
}
