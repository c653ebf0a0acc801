// ReadRegString against the prefix's real registry: size limit, termination and value types.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/wine/support/InstallTestSupport.h"
#include "install/InstallInfo.h"

namespace {

const wchar_t KEY[] = L"CLSID\\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\\TKID0340";
constexpr wchar_t SENTINEL = L'#';
constexpr int GUARD_CHARS = 8;

// Letters only, so no unit of the text is NUL.
std::wstring Letters(size_t n) {
    std::wstring text;
    for (size_t i = 0; i < n; ++i)
        text += static_cast<wchar_t>(L'a' + i % 26);
    return text;
}

class ReadRegStringTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_key.Ready()) << m_key.Error();
        std::fill(std::begin(m_sz), std::end(m_sz), SENTINEL);
    }
    BOOL Read(LPCWSTR szName, DWORD nLimit = INSTALL_VALUE_LIMIT) {
        return ReadRegString(HKEY_CLASSES_ROOT, KEY, szName, m_sz, nLimit);
    }
    // The text up to the first NUL, never beyond the buffer.
    std::wstring Text() const {
        return std::wstring(m_sz, std::find(std::begin(m_sz), std::end(m_sz), L'\0'));
    }

    CInstallKeyScope m_key;
    wchar_t m_sz[INSTALL_TEXT_CHARS + GUARD_CHARS];
};

TEST_F(ReadRegStringTest, ReadsAStringValue) {
    ASSERT_TRUE(m_key.SetString(L"version", L"1.0.2")) << m_key.Error();
    ASSERT_TRUE(Read(L"version"));
    EXPECT_EQ(L"1.0.2", Text());
    EXPECT_EQ(SENTINEL, m_sz[7]) << "written past the 6 units read and one terminator";
}

TEST_F(ReadRegStringTest, NullNameReadsTheDefaultValue) {
    ASSERT_TRUE(m_key.SetString(L"version", L"named")) << m_key.Error();
    ASSERT_TRUE(m_key.SetString(nullptr, L"C:\\Readme Folder")) << m_key.Error();
    ASSERT_TRUE(Read(nullptr));
    EXPECT_EQ(L"C:\\Readme Folder", Text());
}

TEST_F(ReadRegStringTest, MissingKeyIsFalseAndWritesNothing) {
    EXPECT_FALSE(Read(L"version"));
    EXPECT_EQ(SENTINEL, m_sz[0]) << "buffer written: " << Narrow(Text());
}

TEST_F(ReadRegStringTest, MissingValueIsFalseAndWritesNothing) {
    ASSERT_TRUE(m_key.SetString(L"copyright", L"other value")) << m_key.Error();
    EXPECT_FALSE(Read(L"version"));
    EXPECT_FALSE(Read(nullptr)) << "no default value was set";
    EXPECT_EQ(SENTINEL, m_sz[0]) << "buffer written: " << Narrow(Text());
}

TEST_F(ReadRegStringTest, StoredSizeMustBeBelowTheByteLimit) {
    struct Row {
        DWORD nBytes;      // stored size
        bool bTerminated;  // the data ends in a NUL unit
        bool bRead;
        size_t nChars;  // length of the text read
    };
    const Row rows[] = {
        {356, true, true, 177},  {358, true, true, 178}, {358, false, true, 179},
        {359, false, true, 179}, {360, true, false, 0},  {360, false, false, 0},
        {361, false, false, 0},  {400, true, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.nBytes) +
                     (row.bTerminated ? " bytes, terminated" : " bytes, no terminator"));
        std::wstring data = Letters(row.nBytes / 2 + 1);
        if (row.bTerminated)
            data[row.nBytes / 2 - 1] = L'\0';
        ASSERT_TRUE(m_key.SetRaw(L"version", REG_SZ, data.c_str(), row.nBytes)) << m_key.Error();
        std::fill(std::begin(m_sz), std::end(m_sz), SENTINEL);

        BOOL bRead = Read(L"version");

        EXPECT_EQ(row.bRead, bRead != FALSE);
        if (row.bRead) {
            EXPECT_EQ(data.substr(0, row.nChars), Text());
        } else {
            EXPECT_EQ(SENTINEL, m_sz[0]) << "a rejected value was read: " << Narrow(Text());
        }
    }
}

TEST_F(ReadRegStringTest, TextWithoutTerminatorEndsWithTheData) {
    const wchar_t data[] = L"abcZ";
    ASSERT_TRUE(m_key.SetRaw(L"version", REG_SZ, data, 3 * sizeof(wchar_t))) << m_key.Error();
    ASSERT_TRUE(Read(L"version"));
    EXPECT_EQ(L"abc", Text());
    EXPECT_EQ(L'\0', m_sz[3]);
    EXPECT_EQ(SENTINEL, m_sz[4]) << "written beyond the data and its terminator";
}

TEST_F(ReadRegStringTest, OddByteCountEndsAtTheLastWholeUnit) {
    const wchar_t data[] = L"abcdZ";
    ASSERT_TRUE(m_key.SetRaw(L"version", REG_SZ, data, 7)) << m_key.Error();
    ASSERT_TRUE(Read(L"version"));
    EXPECT_EQ(L"abc", Text()) << "half a unit is no character";
    EXPECT_EQ(L'\0', m_sz[3]);
}

TEST_F(ReadRegStringTest, EmptyValueIsAnEmptyText) {
    ASSERT_TRUE(m_key.SetString(L"copyright", L"")) << m_key.Error();
    ASSERT_TRUE(Read(L"copyright"));
    EXPECT_EQ(L'\0', m_sz[0]);

    ASSERT_TRUE(m_key.SetRaw(L"copyright", REG_SZ, L"", 0)) << m_key.Error();
    std::fill(std::begin(m_sz), std::end(m_sz), SENTINEL);
    ASSERT_TRUE(Read(L"copyright")) << "a value of no bytes";
    EXPECT_EQ(L'\0', m_sz[0]);
    EXPECT_EQ(SENTINEL, m_sz[1]);
}

TEST_F(ReadRegStringTest, DwordDataIsTakenAsText) {
    const DWORD nData = 0x00420041;  // 'A', 'B' in UTF-16LE
    ASSERT_TRUE(m_key.SetRaw(L"version", REG_DWORD, &nData, sizeof(nData))) << m_key.Error();
    ASSERT_TRUE(Read(L"version"));
    EXPECT_EQ(L"AB", Text());
    EXPECT_EQ(SENTINEL, m_sz[3]);
}

TEST_F(ReadRegStringTest, BinaryDataIsTakenAsText) {
    const BYTE data[] = {'V', 0, '2', 0, '.', 0, '1', 0};
    ASSERT_TRUE(m_key.SetRaw(L"version", REG_BINARY, data, sizeof(data))) << m_key.Error();
    ASSERT_TRUE(Read(L"version"));
    EXPECT_EQ(L"V2.1", Text());
}

TEST_F(ReadRegStringTest, EnvironmentReferencesAreNotExpanded) {
    const wchar_t data[] = L"%SystemRoot%\\Readme";
    ASSERT_TRUE(m_key.SetRaw(nullptr, REG_EXPAND_SZ, data, sizeof(data))) << m_key.Error();
    ASSERT_TRUE(Read(nullptr));
    EXPECT_EQ(L"%SystemRoot%\\Readme", Text());
}

// An odd limit: the buffer holds (7 + 1) / 2 = 4 units, and nothing past them is touched.
TEST_F(ReadRegStringTest, OddLimitStaysInsideItsBuffer) {
    const wchar_t data[] = L"xyzZ";
    ASSERT_TRUE(m_key.SetRaw(L"version", REG_SZ, data, 6)) << m_key.Error();
    ASSERT_TRUE(Read(L"version", 7));
    EXPECT_EQ(L"xyz", Text());
    EXPECT_EQ(SENTINEL, m_sz[4]) << "written past a buffer of 4 units";

    ASSERT_TRUE(m_key.SetRaw(L"version", REG_SZ, data, 7)) << m_key.Error();
    std::fill(std::begin(m_sz), std::end(m_sz), SENTINEL);
    EXPECT_FALSE(Read(L"version", 7)) << "7 bytes are not below the limit of 7";
    EXPECT_EQ(SENTINEL, m_sz[0]);
}

}  // namespace
