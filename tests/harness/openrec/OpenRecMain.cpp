// Appends one line to opened.txt beside the exe: the arguments it was started with, as UTF-8,
// separated by a tab.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* sz) {
    int n = WideCharToMultiByte(CP_UTF8, 0, sz, -1, NULL, 0, NULL, NULL);
    if (n <= 1)
        return std::string();
    std::string s(static_cast<size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, sz, -1, &s[0], n, NULL, NULL);
    return s;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::string line;
    for (int i = 1; argv && i < argc; ++i) {
        if (i > 1)
            line += '\t';
        line += Utf8(argv[i]);
    }
    line += '\n';

    wchar_t szPath[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, szPath, MAX_PATH);
    while (n > 0 && szPath[n - 1] != L'\\')
        --n;
    lstrcpynW(szPath + n, L"opened.txt", MAX_PATH - static_cast<int>(n));
    HANDLE h = CreateFileW(szPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    DWORD nWritten = 0;
    WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &nWritten, NULL);
    CloseHandle(h);
    return 0;
}
