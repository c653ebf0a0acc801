// Where the installation keeps the three values the program reads. Plain constants, so that
// every build (and the check of the packager's guide) sees the same names and limits.
#pragma once

#include <cstdint>

// The key is CLSID\<class id>\<subkey> under HKEY_CLASSES_ROOT.
constexpr char16_t INSTALL_CLSID[] = u"{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}";
constexpr char16_t INSTALL_SUBKEY[] = u"TKID0340";
constexpr char16_t INSTALL_VALUE_VERSION[] = u"version";
constexpr char16_t INSTALL_VALUE_COPYRIGHT[] = u"copyright";

// Every value is read into a buffer of this many UTF-16 units, with this limit in bytes on its
// stored size: the longest value accepted is 179 units, terminator included.
constexpr int INSTALL_TEXT_CHARS = 360;
constexpr uint32_t INSTALL_VALUE_LIMIT = 360;
