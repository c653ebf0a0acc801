// Text helpers of the probe: UTF-8 on the pipe, UTF-16 in the windows.
#include "tests/harness/uiprobe/UiProbe.h"

#include <cstdlib>

namespace uiprobe {

std::wstring Wide(const std::string& s) {
    if (s.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), NULL, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::string Utf8(const std::wstring& w) {
    if (w.empty())
        return std::string();
    int n =
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), NULL, 0, NULL, NULL);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, NULL, NULL);
    return s;
}

std::string Escape(const std::wstring& w) {
    std::string s;
    for (char c : Utf8(w)) {
        switch (c) {
            case '\\':
                s += "\\\\";
                break;
            case '\t':
                s += "\\t";
                break;
            case '\r':
                s += "\\r";
                break;
            case '\n':
                s += "\\n";
                break;
            default:
                s += c;
                break;
        }
    }
    return s;
}

std::wstring WindowText(HWND hWnd) {
    // WM_GETTEXT is marshalled between processes; GetWindowTextW would not ask another process.
    LRESULT n = SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(hWnd, WM_GETTEXT, w.size(), reinterpret_cast<LPARAM>(&w[0]));
    w.resize(static_cast<size_t>(n));
    return w;
}

std::wstring ClassOf(HWND hWnd) {
    wchar_t sz[128] = {};
    GetClassNameW(hWnd, sz, 128);
    return sz;
}

long ToLong(const std::string& s) {
    char* pEnd = nullptr;
    long n = std::strtol(s.c_str(), &pEnd, 0);
    if (s.empty() || *pEnd != 0)
        throw Fail("'" + s + "' is not a number");
    return n;
}

}  // namespace uiprobe
