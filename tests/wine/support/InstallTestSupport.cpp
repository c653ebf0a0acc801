#include "tests/wine/support/InstallTestSupport.h"

#include <cstring>

namespace {

const wchar_t INSTALL_PARENT[] = L"CLSID\\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}";
const wchar_t INSTALL_KEY[] = L"CLSID\\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\\TKID0340";
// The view the program reads in every build: the 32-bit one.
constexpr REGSAM VIEW = KEY_WOW64_32KEY;

bool KeyExists(LPCWSTR szPath) {
    HKEY hKey = NULL;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, szPath, 0, KEY_READ | VIEW, &hKey) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(hKey);
    return true;
}

std::vector<ShellCall> g_shellCalls;

HINSTANCE WINAPI RecordShellExecute(HWND hwnd, LPCWSTR szVerb, LPCWSTR szFile, LPCWSTR szParameters,
                                    LPCWSTR szDirectory, INT nShow) {
    ShellCall call;
    call.hwnd = hwnd;
    call.verb = szVerb ? szVerb : L"(null)";
    call.file = szFile ? szFile : L"(null)";
    call.parameters = szParameters ? szParameters : L"";
    call.directory = szDirectory ? szDirectory : L"";
    call.bNullParameters = szParameters == nullptr;
    call.bNullDirectory = szDirectory == nullptr;
    call.nShow = nShow;
    g_shellCalls.push_back(call);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));  // above 32: success
}

// The program loads the shell only when it opens the readme and looks ShellExecuteW up by name;
// while a recorder is alive, that look-up hands out the recorder instead.
FARPROC(WINAPI* g_pGetProcAddress)(HMODULE, LPCSTR) = nullptr;

FARPROC WINAPI RecordingGetProcAddress(HMODULE hModule, LPCSTR szName) {
    if (hModule != NULL && (reinterpret_cast<ULONG_PTR>(szName) >> 16) != 0 &&
        std::strcmp(szName, "ShellExecuteW") == 0) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RecordShellExecute));
    }
    return g_pGetProcAddress(hModule, szName);
}

// The import slot through which this executable calls szFunction of szDll.
void** FindImportSlot(const char* szDll, const char* szFunction) {
    BYTE* pBase = reinterpret_cast<BYTE*>(GetModuleHandleW(NULL));
    auto* pDos = reinterpret_cast<IMAGE_DOS_HEADER*>(pBase);
    auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0)
        return nullptr;
    for (auto* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + dir.VirtualAddress);
         pDesc->Name != 0; ++pDesc) {
        if (lstrcmpiA(reinterpret_cast<const char*>(pBase + pDesc->Name), szDll) != 0 ||
            pDesc->OriginalFirstThunk == 0) {
            continue;
        }
        auto* pName = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->OriginalFirstThunk);
        auto* pSlot = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDesc->FirstThunk);
        for (; pName->u1.AddressOfData != 0; ++pName, ++pSlot) {
            if (IMAGE_SNAP_BY_ORDINAL(pName->u1.Ordinal))
                continue;
            auto* pByName =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pName->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(pByName->Name), szFunction) == 0) {
                return reinterpret_cast<void**>(&pSlot->u1.Function);
            }
        }
    }
    return nullptr;
}

bool WriteSlot(void** pSlot, void* pValue) {
    DWORD nOld = 0;
    if (!VirtualProtect(pSlot, sizeof(void*), PAGE_READWRITE, &nOld))
        return false;
    *pSlot = pValue;
    VirtualProtect(pSlot, sizeof(void*), nOld, &nOld);
    return true;
}

}  // namespace

CInstallKeyScope::CInstallKeyScope() : m_path(INSTALL_KEY), m_parent(INSTALL_PARENT) {
    m_bParentExisted = KeyExists(m_parent.c_str());
    HKEY hKey = NULL;
    LONG nError = RegOpenKeyExW(HKEY_CLASSES_ROOT, m_path.c_str(), 0, KEY_READ | VIEW, &hKey);
    if (nError == ERROR_FILE_NOT_FOUND) {
        m_bReady = true;
        return;
    }
    if (nError != ERROR_SUCCESS) {
        Fail("open the installation key", nError);
        return;
    }
    m_bKeyExisted = true;
    DWORD nSubkeys = 0, nValues = 0, nMaxName = 0, nMaxData = 0;
    nError = RegQueryInfoKeyW(hKey, NULL, NULL, NULL, &nSubkeys, NULL, NULL, &nValues, &nMaxName,
                              &nMaxData, NULL, NULL);
    if (nError == ERROR_SUCCESS && nSubkeys != 0)
        nError = ERROR_INVALID_DATA;
    for (DWORD i = 0; nError == ERROR_SUCCESS && i < nValues; ++i) {
        std::vector<wchar_t> name(nMaxName + 1);
        Value value;
        value.data.resize(nMaxData);
        DWORD nNameChars = nMaxName + 1, nBytes = nMaxData;
        nError = RegEnumValueW(hKey, i, name.data(), &nNameChars, NULL, &value.nType,
                               value.data.data(), &nBytes);
        value.name.assign(name.data(), nNameChars);
        value.data.resize(nBytes);
        m_saved.push_back(value);
    }
    RegCloseKey(hKey);
    if (nError != ERROR_SUCCESS) {
        Fail("save the existing installation key (it must have no subkeys)", nError);
        return;
    }
    nError = RegDeleteKeyExW(HKEY_CLASSES_ROOT, m_path.c_str(), VIEW, 0);
    if (nError != ERROR_SUCCESS) {
        Fail("delete the existing installation key", nError);
        return;
    }
    m_bReady = true;
}

CInstallKeyScope::~CInstallKeyScope() {
    if (!m_bReady)
        return;
    RegDeleteKeyExW(HKEY_CLASSES_ROOT, m_path.c_str(), VIEW, 0);
    if (m_bKeyExisted) {
        CreateKey();
        for (const Value& value : m_saved) {
            SetRaw(value.name.empty() ? nullptr : value.name.c_str(), value.nType,
                   value.data.data(), static_cast<DWORD>(value.data.size()));
        }
    } else if (!m_bParentExisted) {
        RegDeleteKeyExW(HKEY_CLASSES_ROOT, m_parent.c_str(), VIEW, 0);
    }
}

bool CInstallKeyScope::Fail(const std::string& what, LONG nError) {
    m_error = "could not " + what + ": error " + std::to_string(nError);
    return false;
}

bool CInstallKeyScope::CreateKey() {
    HKEY hKey = NULL;
    LONG nError = RegCreateKeyExW(HKEY_CLASSES_ROOT, m_path.c_str(), 0, NULL, 0,
                                  KEY_READ | KEY_WRITE | VIEW, NULL, &hKey, NULL);
    if (nError != ERROR_SUCCESS)
        return Fail("create the installation key", nError);
    RegCloseKey(hKey);
    return true;
}

bool CInstallKeyScope::SetString(LPCWSTR szName, const std::wstring& text) {
    return SetRaw(szName, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool CInstallKeyScope::SetRaw(LPCWSTR szName, DWORD nType, const void* pData, DWORD nBytes) {
    // The registry adds a terminator to string data whose next unit in the caller's memory is
    // NUL, and looks one unit back: surround the data with non-NUL bytes so it is stored as is.
    std::vector<BYTE> padded(nBytes + 6, 0xFF);
    if (nBytes != 0)
        std::memcpy(padded.data() + 2, pData, nBytes);
    HKEY hKey = NULL;
    LONG nError = RegCreateKeyExW(HKEY_CLASSES_ROOT, m_path.c_str(), 0, NULL, 0,
                                  KEY_READ | KEY_WRITE | VIEW, NULL, &hKey, NULL);
    if (nError != ERROR_SUCCESS)
        return Fail("create the installation key", nError);
    nError = RegSetValueExW(hKey, szName, 0, nType, padded.data() + 2, nBytes);
    RegCloseKey(hKey);
    if (nError != ERROR_SUCCESS)
        return Fail("set a value", nError);
    return true;
}

CScratchFolder::CScratchFolder() {
    static unsigned s_nCount = 0;
    wchar_t szTemp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH, szTemp);
    if (n == 0 || n >= MAX_PATH)
        return;
    std::wstring path = szTemp;
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += L"kp-install-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++s_nCount);
    if (CreateDirectoryW(path.c_str(), NULL))
        m_path = path;
}

CScratchFolder::~CScratchFolder() {
    if (m_path.empty())
        return;
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) {
        DWORD nAttributes = GetFileAttributesW(it->c_str());
        if (nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            RemoveDirectoryW(it->c_str());
        } else {
            DeleteFileW(it->c_str());
        }
    }
    RemoveDirectoryW(m_path.c_str());
}

bool CScratchFolder::MakeFolder(const std::wstring& relative) {
    std::wstring full = m_path + L"\\" + relative;
    if (!CreateDirectoryW(full.c_str(), NULL))
        return false;
    m_made.push_back(full);
    return true;
}

bool CScratchFolder::MakeFile(const std::wstring& relative) {
    std::wstring full = m_path + L"\\" + relative;
    HANDLE h =
        CreateFileW(full.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    m_made.push_back(full);
    const char text[] = "<html><body>readme</body></html>\r\n";
    DWORD nWritten = 0;
    BOOL bOk = WriteFile(h, text, sizeof(text) - 1, &nWritten, NULL);
    CloseHandle(h);
    return bOk && nWritten == sizeof(text) - 1;
}

CShellExecuteRecorder::CShellExecuteRecorder() {
    g_shellCalls.clear();
    void** pSlot = FindImportSlot("kernel32.dll", "GetProcAddress");
    if (pSlot == nullptr)
        return;
    m_pOriginal = *pSlot;
    g_pGetProcAddress = reinterpret_cast<decltype(g_pGetProcAddress)>(m_pOriginal);
    if (WriteSlot(pSlot, reinterpret_cast<void*>(&RecordingGetProcAddress)))
        m_pSlot = pSlot;
}

CShellExecuteRecorder::~CShellExecuteRecorder() {
    if (m_pSlot != nullptr)
        WriteSlot(m_pSlot, m_pOriginal);
}

const std::vector<ShellCall>& CShellExecuteRecorder::Calls() const {
    return g_shellCalls;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), NULL, 0,
                                NULL, NULL);
    if (n <= 0)
        return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, NULL,
                        NULL);
    return out;
}

std::wstring TableString(UINT nId) {
    const wchar_t* p = nullptr;
    int n = LoadStringW(GetModuleHandleW(NULL), nId, reinterpret_cast<LPWSTR>(&p), 0);
    return n > 0 && p != nullptr ? std::wstring(p, static_cast<size_t>(n)) : std::wstring();
}
