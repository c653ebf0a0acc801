// What the installation tests arrange: the installation key in the prefix's registry (saved
// and put back afterwards, so a key the prefix already has survives), a scratch folder for
// readme documents, and a recorder in place of the shell's ShellExecuteW.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Exit code of a suite that may not write the installation key (InstallKeyGuard.cpp).
constexpr int INSTALL_KEY_NEEDS_ELEVATION = 77;

// Gives each test an absent installation key and restores what was there before.
class CInstallKeyScope {
public:
    CInstallKeyScope();
    ~CInstallKeyScope();
    CInstallKeyScope(const CInstallKeyScope&) = delete;
    CInstallKeyScope& operator=(const CInstallKeyScope&) = delete;

    // FALSE, with the reason in Error(), when the key could not be saved or cleared.
    bool Ready() const { return m_bReady; }
    const std::string& Error() const { return m_error; }

    // Creates the key with no values.
    bool CreateKey();
    // A REG_SZ with its terminator (szName null: the default value).
    bool SetString(LPCWSTR szName, const std::wstring& text);
    // Exactly nBytes of pData with the given type: nothing is added after them.
    bool SetRaw(LPCWSTR szName, DWORD nType, const void* pData, DWORD nBytes);

private:
    struct Value {
        std::wstring name;
        DWORD nType;
        std::vector<BYTE> data;
    };
    bool Fail(const std::string& what, LONG nError);

    std::wstring m_path;
    std::wstring m_parent;
    bool m_bParentExisted = false;
    bool m_bKeyExisted = false;
    std::vector<Value> m_saved;
    bool m_bReady = false;
    std::string m_error;
};

// A fresh folder under the temporary folder; everything made through it is removed again.
class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    bool Ready() const { return !m_path.empty(); }
    // Without a trailing backslash.
    const std::wstring& Path() const { return m_path; }
    // Relative paths, parents first.
    bool MakeFolder(const std::wstring& relative);
    bool MakeFile(const std::wstring& relative);

private:
    std::wstring m_path;
    std::vector<std::wstring> m_made;  // full paths, in the order they were made
};

// Every call to ShellExecuteW from this program, while a recorder is alive, is recorded and
// answered as a success instead of reaching the shell (the recorder stands in for the function
// when the program looks it up).
struct ShellCall {
    HWND hwnd;
    std::wstring verb, file, parameters, directory;
    bool bNullParameters, bNullDirectory;
    INT nShow;
};

class CShellExecuteRecorder {
public:
    CShellExecuteRecorder();
    ~CShellExecuteRecorder();
    CShellExecuteRecorder(const CShellExecuteRecorder&) = delete;
    CShellExecuteRecorder& operator=(const CShellExecuteRecorder&) = delete;

    bool Ready() const { return m_pSlot != nullptr; }
    const std::vector<ShellCall>& Calls() const;

private:
    void** m_pSlot = nullptr;
    void* m_pOriginal = nullptr;
};

std::string Narrow(const std::wstring& text);
// The string table's entry in the current user-interface language, or "" when it is missing.
std::wstring TableString(UINT nId);
