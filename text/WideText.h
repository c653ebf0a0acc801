// Windows keeps UTF-16 text in wchar_t, the portable code in char16_t: the same code units.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t holds UTF-16 code units");

inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string ToU16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}
