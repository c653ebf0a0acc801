// The icon group, the version block and the list of resources the program carries.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "ResourceReader.h"

namespace {

#pragma pack(push, 2)
struct GroupIconHeader {
    WORD idReserved;
    WORD idType;
    WORD idCount;
};
struct GroupIconEntry {
    BYTE bWidth;
    BYTE bHeight;
    BYTE bColorCount;
    BYTE bReserved;
    WORD wPlanes;
    WORD wBitCount;
    DWORD dwBytesInRes;
    WORD nId;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconHeader) == 6, "group icon header is 6 bytes");
static_assert(sizeof(GroupIconEntry) == 14, "group icon entry is 14 bytes");

struct IconImage {
    int nSize;
    int nBits;
};

// In the group's order: the palettized images first, then the true-colour ones.
const IconImage kIconImages[] = {{48, 8},  {32, 8},  {16, 8}, {256, 32},
                                 {48, 32}, {32, 32}, {16, 32}};

std::vector<GroupIconEntry> ReadIconGroup() {
    std::vector<uint8_t> data = ReadResource(MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(128));
    GroupIconHeader header{};
    if (data.size() < sizeof header) {
        return {};
    }
    std::memcpy(&header, data.data(), sizeof header);
    std::vector<GroupIconEntry> entries(header.idCount);
    if (header.idType != 1 ||
        data.size() != sizeof header + entries.size() * sizeof(GroupIconEntry)) {
        return {};
    }
    std::memcpy(entries.data(), data.data() + sizeof header,
                entries.size() * sizeof(GroupIconEntry));
    return entries;
}

// Width, height and bits per pixel that an icon image's own header states: a DIB with its
// doubled height (colour and mask), or a PNG of 8-bit RGBA samples.
bool ImageFormat(const std::vector<uint8_t>& image, int* width, int* height, int* bits) {
    static const uint8_t kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (image.size() >= 33 && std::memcmp(image.data(), kPng, 8) == 0) {
        auto be32 = [&](size_t at) {
            return (image[at] << 24) | (image[at + 1] << 16) | (image[at + 2] << 8) | image[at + 3];
        };
        if (std::memcmp(image.data() + 12, "IHDR", 4) != 0 || image[24] != 8 || image[25] != 6) {
            return false;
        }
        *width = be32(16);
        *height = be32(20);
        *bits = 32;
        return true;
    }
    BITMAPINFOHEADER bih{};
    if (image.size() < sizeof bih) {
        return false;
    }
    std::memcpy(&bih, image.data(), sizeof bih);
    if (bih.biSize != sizeof bih || bih.biPlanes != 1 || bih.biHeight % 2 != 0) {
        return false;
    }
    *width = bih.biWidth;
    *height = bih.biHeight / 2;
    *bits = bih.biBitCount;
    return true;
}

TEST(Icon, GroupHasTheSevenImagesInOrder) {
    std::vector<GroupIconEntry> entries = ReadIconGroup();
    ASSERT_EQ(std::size(kIconImages), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const GroupIconEntry& e = entries[i];
        int size = e.bWidth == 0 ? 256 : e.bWidth;
        EXPECT_TRUE(size == kIconImages[i].nSize && e.bHeight == e.bWidth &&
                    e.wBitCount == kIconImages[i].nBits && e.wPlanes == 1 && e.bColorCount == 0)
            << "image #" << i + 1 << ": " << size << " px, " << e.wBitCount << " bpp, " << e.wPlanes
            << " planes, " << int(e.bColorCount) << " colours";
    }
}

TEST(Icon, EveryImageIsWhatTheGroupSays) {
    std::vector<GroupIconEntry> entries = ReadIconGroup();
    ASSERT_EQ(std::size(kIconImages), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        std::vector<uint8_t> image =
            ReadResource(MAKEINTRESOURCEW(3), MAKEINTRESOURCEW(entries[i].nId));
        EXPECT_EQ(entries[i].dwBytesInRes, image.size()) << "image #" << i + 1;
        int width = 0, height = 0, bits = 0;
        ASSERT_TRUE(ImageFormat(image, &width, &height, &bits)) << "image #" << i + 1;
        EXPECT_TRUE(width == kIconImages[i].nSize && height == kIconImages[i].nSize &&
                    bits == kIconImages[i].nBits)
            << "image #" << i + 1 << ": " << width << " x " << height << ", " << bits << " bpp";
    }
}

TEST(Icon, LoadsAtTheStandardSize) {
    HICON hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
    ASSERT_NE(nullptr, hIcon) << "error " << GetLastError();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hIcon, &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), bm.bmWidth);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

class VersionBlock : public testing::Test {
protected:
    void SetUp() override {
        m_block = ReadResource(MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(1));
        ASSERT_FALSE(m_block.empty()) << "no language-neutral version block";
    }

    std::wstring Value(const wchar_t* path) {
        void* p = nullptr;
        UINT len = 0;
        if (!VerQueryValueW(m_block.data(), path, &p, &len) || !p) {
            return L"<missing>";
        }
        std::wstring s(static_cast<const wchar_t*>(p), len);
        return s.substr(0, s.find(L'\0'));
    }

    std::vector<uint8_t> m_block;
};

TEST_F(VersionBlock, FixedPartSaysVersionOneOfAWindowsApplication) {
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(m_block.data(), L"\\", reinterpret_cast<void**>(&info), &len));
    ASSERT_EQ(sizeof *info, len);
    EXPECT_EQ(0xFEEF04BDu, info->dwSignature);
    EXPECT_EQ(0x00010000u, info->dwFileVersionMS) << std::hex << info->dwFileVersionMS;
    EXPECT_EQ(0u, info->dwFileVersionLS) << std::hex << info->dwFileVersionLS;
    EXPECT_EQ(0x00010000u, info->dwProductVersionMS) << std::hex << info->dwProductVersionMS;
    EXPECT_EQ(0u, info->dwProductVersionLS) << std::hex << info->dwProductVersionLS;
    EXPECT_EQ(static_cast<DWORD>(VOS_NT_WINDOWS32), info->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), info->dwFileType);
}

TEST_F(VersionBlock, TranslationIsNeutralUnicode) {
    WORD* pair = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(m_block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&pair), &len));
    ASSERT_EQ(4u, len);
    EXPECT_EQ(0x0000, pair[0]);
    EXPECT_EQ(1200, pair[1]);
}

TEST_F(VersionBlock, TextEntries) {
    struct Entry {
        const wchar_t* name;
        const wchar_t* text;
    };
    const Entry kEntries[] = {
        {L"CompanyName", L"Kestal Audio Works"},
        {L"LegalCopyright", L"Copyright (C) 2026 Kestal Audio Works"},
        {L"FileVersion", L"1, 0, 0, 0"},
        {L"ProductVersion", L"1, 0, 0, 0"},
        {L"Comments", L" "},
        {L"FileDescription", L" "},
        {L"InternalName", L" "},
        {L"OriginalFilename", L" "},
        {L"ProductName", L" "},
    };
    for (const Entry& e : kEntries) {
        EXPECT_EQ(e.text, Value((std::wstring(L"\\StringFileInfo\\000004b0\\") + e.name).c_str()))
            << Printable(e.name);
    }
}

TEST_F(VersionBlock, CopyrightMatchesTheStringTable) {
    EXPECT_EQ(ReadStringTable(0x0409)[33094], Value(L"\\StringFileInfo\\000004b0\\LegalCopyright"));
}

BOOL CALLBACK AddName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::set<WORD>*>(param)->insert(LOWORD(name));
    }
    return TRUE;
}

TEST(ResourceList, EachKindHoldsExactlyTheProgramsIds) {
    struct Kind {
        WORD nType;
        const char* name;
        std::set<WORD> ids;
    };
    const Kind kKinds[] = {
        {5, "dialog", {136, 187, 189, 266}},
        {14, "icon group", {128}},
        {4, "menu", {131}},
        {16, "version", {1}},
        {24, "manifest", {1}},
        {2, "bitmap", {}},
    };
    for (const Kind& kind : kKinds) {
        std::set<WORD> ids;
        EnumResourceNamesW(nullptr, MAKEINTRESOURCEW(kind.nType), AddName,
                           reinterpret_cast<LONG_PTR>(&ids));
        std::string listed;
        for (WORD id : ids) {
            listed += " " + std::to_string(id);
        }
        EXPECT_EQ(kind.ids, ids) << kind.name << ":" << listed;
        for (WORD id : ids) {
            EXPECT_EQ(std::set<LANGID>{0},
                      ResourceLanguages(MAKEINTRESOURCEW(kind.nType), MAKEINTRESOURCEW(id)))
                << kind.name << " " << id << " is not language-neutral";
        }
    }
}

}  // namespace
