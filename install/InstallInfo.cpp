#include "install/InstallInfo.h"

#include <shellapi.h>

#include "framework/AppStrings.h"
#include "res/resource.h"
#include "text/TextFormat.h"
#include "text/WideText.h"

namespace {

// The installation writes the key for the 32-bit program, which sees the 32-bit view with
// KEY_READ alone; a 64-bit build has to ask for that view.
#ifdef _WIN64
constexpr REGSAM INSTALL_KEY_ACCESS = KEY_READ | KEY_WOW64_32KEY;
#else
constexpr REGSAM INSTALL_KEY_ACCESS = KEY_READ;
#endif

std::u16string InstallKeyPath(const std::u16string& subkey) {
    return FormatText(u"%s\\%s\\%s", {u"CLSID", INSTALL_CLSID, subkey.c_str()});
}

BOOL ReadInstallValue(LPCWSTR szValueName, WCHAR (&szValue)[INSTALL_TEXT_CHARS]) {
    return ReadRegString(HKEY_CLASSES_ROOT, MakeInstallKeyPath().c_str(), szValueName, szValue,
                         INSTALL_VALUE_LIMIT);
}

}  // namespace

std::wstring MakeInstallKeyPath() {
    return ToWide(InstallKeyPath(INSTALL_SUBKEY));
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
    std::u16string path = InstallKeyPath(ToU16(szSubkey));
    if (path.size() >= static_cast<size_t>(INSTALL_TEXT_CHARS))
        return nullptr;
    if (!ReadRegString(HKEY_CLASSES_ROOT, ToWide(path).c_str(), NULL, pszBuffer,
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
    if (ReadInstallDefault(szFolder, ToWide(INSTALL_SUBKEY).c_str()) == nullptr ||
        szFolder[0] == L'\0') {
        return std::wstring();
    }
    std::wstring name;
    if (!LoadStringText(IDS_README_NAME, name) || name.empty())
        return std::wstring();
    return ToWide(FormatText(u"%s\\%s", {ToU16(szFolder).c_str(), ToU16(name).c_str()}));
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
    if (!ReadInstallValue(ToWide(INSTALL_VALUE_VERSION).c_str(), szVersion) ||
        !LoadStringText(IDS_PROP_VER, format) || format.empty()) {
        return std::wstring();
    }
    std::u16string line = ReplaceAll(ToU16(format), u"__MODEL__", MODEL_STRING);
    return ToWide(ReplaceAll(line, u"__VERSION__", ToU16(szVersion)));
}

BOOL MakeCopyrightLine(std::wstring& text) {
    WCHAR szCopyright[INSTALL_TEXT_CHARS] = {};
    if (ReadInstallValue(ToWide(INSTALL_VALUE_COPYRIGHT).c_str(), szCopyright)) {
        text = szCopyright;
        return TRUE;
    }
    // An empty table entry counts as missing, like an absent one.
    std::wstring fallback;
    if (!LoadStringText(IDS_PROP_COPYR, fallback) || fallback.empty())
        return FALSE;
    text = fallback;
    return TRUE;
}
