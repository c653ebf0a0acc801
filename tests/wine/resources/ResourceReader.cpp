#include "ResourceReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace {

// A string-table block holds the 16 ids (block - 1) * 16 .. (block - 1) * 16 + 15, each as a
// length word followed by that many UTF-16 units.
constexpr UINT kStringsPerBlock = 16;

BOOL CALLBACK AddBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<WORD>*>(param)->push_back(LOWORD(name));
    }
    return TRUE;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR param) {
    reinterpret_cast<std::set<LANGID>*>(param)->insert(lang);
    return TRUE;
}

std::vector<WORD> StringBlocks() {
    std::vector<WORD> blocks;
    EnumResourceNamesW(nullptr, MAKEINTRESOURCEW(6), AddBlock, reinterpret_cast<LONG_PTR>(&blocks));
    return blocks;
}

std::vector<uint8_t> ReadResourceIn(LPCWSTR type, LPCWSTR name, LANGID lang) {
    HRSRC hRes = FindResourceExW(nullptr, type, name, lang);
    if (!hRes) {
        return {};
    }
    HGLOBAL hData = LoadResource(nullptr, hRes);
    const void* data = hData ? LockResource(hData) : nullptr;
    if (!data) {
        return {};
    }
    const uint8_t* p = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(p, p + SizeofResource(nullptr, hRes));
}

// Sequential reader over a template; any read past the end sets bad and yields zeros.
class Cursor {
public:
    explicit Cursor(const std::vector<uint8_t>& data) : m_data(data) {}

    bool Bad() const { return m_bBad; }

    template <typename T>
    T Read() {
        T value{};
        if (m_pos + sizeof(T) > m_data.size()) {
            m_bBad = true;
            m_pos = m_data.size();
            return value;
        }
        std::memcpy(&value, m_data.data() + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    std::wstring ReadSz() {
        std::wstring s;
        for (WCHAR c = Read<WCHAR>(); c != 0 && !m_bBad; c = Read<WCHAR>()) {
            s += c;
        }
        return s;
    }

    SzOrOrd ReadSzOrOrd() {
        SzOrOrd field;
        WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            field.bOrdinal = true;
            field.nOrdinal = Read<WORD>();
        } else if (first != 0) {
            field.sz = static_cast<WCHAR>(first) + ReadSz();
        }
        return field;
    }

    void AlignToDword() { m_pos = std::min(m_data.size(), (m_pos + 3) & ~size_t{3}); }
    void Skip(size_t n) {
        if (m_pos + n > m_data.size()) {
            m_bBad = true;
        }
        m_pos = std::min(m_data.size(), m_pos + n);
    }

private:
    const std::vector<uint8_t>& m_data;
    size_t m_pos = 0;
    bool m_bBad = false;
};

}  // namespace

std::map<UINT, std::wstring> ReadStringTable(LANGID lang) {
    std::map<UINT, std::wstring> table;
    for (WORD block : StringBlocks()) {
        std::vector<uint8_t> data =
            ReadResourceIn(MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(block), lang);
        size_t pos = 0;
        for (UINT i = 0; i < kStringsPerBlock && pos + 2 <= data.size(); ++i) {
            WORD len = 0;
            std::memcpy(&len, data.data() + pos, 2);
            pos += 2;
            size_t bytes = std::min<size_t>(len * 2u, data.size() - pos);
            std::wstring text(bytes / 2, L'\0');
            std::memcpy(&text[0], data.data() + pos, bytes);
            pos += bytes;
            if (!text.empty()) {
                table[(block - 1u) * kStringsPerBlock + i] = text;
            }
        }
    }
    return table;
}

std::set<LANGID> StringTableLanguages() {
    std::set<LANGID> langs;
    for (WORD block : StringBlocks()) {
        std::set<LANGID> blockLangs =
            ResourceLanguages(MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(block));
        langs.insert(blockLangs.begin(), blockLangs.end());
    }
    return langs;
}

std::set<LANGID> ResourceLanguages(LPCWSTR type, LPCWSTR name) {
    std::set<LANGID> langs;
    EnumResourceLanguagesW(nullptr, type, name, AddLanguage, reinterpret_cast<LONG_PTR>(&langs));
    return langs;
}

std::vector<uint8_t> ReadResource(LPCWSTR type, LPCWSTR name) {
    return ReadResourceIn(type, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

bool ReadDialogTemplate(WORD id, DialogTemplate* out) {
    std::vector<uint8_t> data = ReadResource(MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id));
    Cursor c(data);
    DialogTemplate t;
    t.nVersion = c.Read<WORD>();
    t.nSignature = c.Read<WORD>();
    if (t.nVersion != 1 || t.nSignature != 0xFFFF) {
        return false;
    }
    t.nHelpId = c.Read<DWORD>();
    t.dwExStyle = c.Read<DWORD>();
    t.dwStyle = c.Read<DWORD>();
    WORD count = c.Read<WORD>();
    t.x = c.Read<short>();
    t.y = c.Read<short>();
    t.cx = c.Read<short>();
    t.cy = c.Read<short>();
    t.menu = c.ReadSzOrOrd();
    t.cls = c.ReadSzOrOrd();
    t.title = c.ReadSz();
    if (t.dwStyle & (DS_SETFONT | DS_SHELLFONT)) {
        t.nPointSize = c.Read<WORD>();
        t.nWeight = c.Read<WORD>();
        t.bItalic = c.Read<BYTE>();
        t.nCharSet = c.Read<BYTE>();
        t.typeface = c.ReadSz();
    }
    for (WORD i = 0; i < count && !c.Bad(); ++i) {
        DialogItem item;
        c.AlignToDword();
        item.nHelpId = c.Read<DWORD>();
        item.dwExStyle = c.Read<DWORD>();
        item.dwStyle = c.Read<DWORD>();
        item.x = c.Read<short>();
        item.y = c.Read<short>();
        item.cx = c.Read<short>();
        item.cy = c.Read<short>();
        item.nId = c.Read<DWORD>();
        item.cls = c.ReadSzOrOrd();
        item.text = c.ReadSzOrOrd();
        item.cbExtra = c.Read<WORD>();
        c.Skip(item.cbExtra);
        t.items.push_back(item);
    }
    if (c.Bad()) {
        return false;
    }
    *out = t;
    return true;
}

std::vector<std::wstring> Placeholders(const std::wstring& text) {
    static const wchar_t* const kWords[] = {L"__MODEL__", L"__VERSION__"};
    std::vector<std::wstring> found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%') {
            size_t end = i + 1;
            while (end < text.size() && iswdigit(text[end])) {
                ++end;
            }
            // The conversion letter belongs to the placeholder; a lone '%' stays alone.
            found.push_back(text.substr(i, std::min(end + 1, text.size()) - i));
            i = end;
            continue;
        }
        for (const wchar_t* word : kWords) {
            if (text.compare(i, wcslen(word), word) == 0) {
                found.push_back(word);
                i += wcslen(word) - 1;
                break;
            }
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string Printable(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c == L'\n') {
            out += "\\n";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}
