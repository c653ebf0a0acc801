// Windows keeps UTF-16 text in wchar_t, the portable code in char16_t: the same code units.
#pragma once

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t holds UTF-16 code units");

inline std::wstring ToWide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string ToU16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}
