// Filling the string table's placeholders: word placeholders replaced as text, and the
// printf-style numbers and strings of the formatted entries.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

extern const char16_t MODEL_STRING[];  // "KESTAL-3 5 9"

// Every occurrence, left to right, without overlap; inserted text is not searched again.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                          std::u16string_view to);

struct FormatArg {
    FormatArg(int32_t n) : nValue(n), szValue(nullptr) {}
    FormatArg(const char16_t* sz) : nValue(0), szValue(sz ? sz : u"") {}
    int32_t nValue;
    const char16_t* szValue;  // null for a number
};

// Understands %d and %s with the flags '-' and '0' and a width, and %%, as wsprintf does.
// Arguments are taken in order; one that is missing or of the other kind formats as 0 or as
// the empty text, and a width is held to FORMAT_MAX_WIDTH, so no text can make it misbehave.
constexpr int FORMAT_MAX_WIDTH = 1024;
std::u16string FormatText(std::u16string_view format, std::initializer_list<FormatArg> args);
