// Reads the program's resources back from the test binary, which links the same resource
// object as the exe: string-table blocks of one exact language, and extended dialog templates
// decoded field by field.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

// Non-empty entries of every string-table block stored in exactly this language.
std::map<UINT, std::wstring> ReadStringTable(LANGID lang);

// Every language in which at least one string-table block is stored.
std::set<LANGID> StringTableLanguages();

// Every language in which a resource of this type and id is stored.
std::set<LANGID> ResourceLanguages(LPCWSTR type, LPCWSTR name);

// A name-or-ordinal field of a template.
struct SzOrOrd {
    bool bOrdinal = false;
    WORD nOrdinal = 0;
    std::wstring sz;
};

struct DialogItem {
    DWORD nHelpId = 0;
    DWORD dwExStyle = 0;
    DWORD dwStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD nId = 0;
    SzOrOrd cls;
    SzOrOrd text;
    WORD cbExtra = 0;
};

struct DialogTemplate {
    WORD nVersion = 0;
    WORD nSignature = 0;
    DWORD nHelpId = 0;
    DWORD dwExStyle = 0;
    DWORD dwStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    SzOrOrd menu;
    SzOrOrd cls;
    std::wstring title;
    WORD nPointSize = 0;
    WORD nWeight = 0;
    BYTE bItalic = 0;
    BYTE nCharSet = 0;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

// Decodes the language-neutral extended template; false when it is missing, not extended,
// or runs past the end of its resource.
bool ReadDialogTemplate(WORD id, DialogTemplate* out);

// Raw bytes of a language-neutral resource, empty when it is missing.
std::vector<uint8_t> ReadResource(LPCWSTR type, LPCWSTR name);

// "%6d", "__MODEL__", ...: every placeholder in the text, sorted, so two texts can be compared
// whatever order their language puts them in. A '%' that starts no number is kept as it is.
std::vector<std::wstring> Placeholders(const std::wstring& text);

// Test failure texts are narrow; shows non-ASCII characters as \uXXXX.
std::string Printable(const std::wstring& text);
