// The manifest that this program carries, as Windows applies it when the process starts.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <string>

namespace {

#ifdef _WIN64
constexpr const wchar_t* kProcessor = L"amd64";
#else
constexpr const wchar_t* kProcessor = L"x86";
#endif

// The dialogs' common controls are version 6, which Windows loads from its side-by-side store.
// A manifest that names another processor than the program's is ignored as a whole, and the
// program then gets the old controls from the system folder.
TEST(Manifest, TheCommonControlsAreVersion6FromTheSideBySideStore) {
    HMODULE hComCtl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(nullptr, hComCtl);
    wchar_t szPath[MAX_PATH] = {};
    DWORD nLength = GetModuleFileNameW(hComCtl, szPath, MAX_PATH);
    FreeLibrary(hComCtl);
    ASSERT_GT(nLength, 0u);
    std::wstring path(szPath, nLength);
    for (wchar_t& c : path)
        c = static_cast<wchar_t>(std::towlower(c));
    std::string shown(path.begin(), path.end());
    std::wstring store = std::wstring(L"\\winsxs\\") + kProcessor +
                         L"_microsoft.windows.common-controls_6595b64144ccf1df_6.";
    EXPECT_NE(std::wstring::npos, path.find(store)) << shown;
}

}  // namespace
