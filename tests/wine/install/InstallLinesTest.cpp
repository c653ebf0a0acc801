// The key path, the default value and the two lines the settings dialog shows, against the
// prefix's real registry and the program's English string table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/wine/support/InstallTestSupport.h"
#include "install/InstallInfo.h"
#include "res/resource.h"

namespace {

constexpr wchar_t SENTINEL = L'#';

std::wstring Letters(size_t n) {
    std::wstring text;
    for (size_t i = 0; i < n; ++i)
        text += static_cast<wchar_t>(L'A' + i % 26);
    return text;
}

class InstallLinesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_key.Ready()) << m_key.Error(); }
    CInstallKeyScope m_key;
};

TEST(InstallKeyPath, IsTheDriversClassKey) {
    EXPECT_EQ(L"CLSID\\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\\TKID0340", MakeInstallKeyPath());
}

TEST_F(InstallLinesTest, ReadInstallDefaultReturnsItsBufferFilled) {
    ASSERT_TRUE(m_key.SetString(nullptr, L"D:\\Kestal\\Docs")) << m_key.Error();
    wchar_t sz[INSTALL_TEXT_CHARS];
    std::fill(std::begin(sz), std::end(sz), SENTINEL);
    EXPECT_EQ(sz, ReadInstallDefault(sz, L"TKID0340"));
    EXPECT_EQ(L"D:\\Kestal\\Docs", std::wstring(sz));
}

TEST_F(InstallLinesTest, ReadInstallDefaultIsNullWithoutTheKey) {
    wchar_t sz[INSTALL_TEXT_CHARS];
    std::fill(std::begin(sz), std::end(sz), SENTINEL);
    EXPECT_EQ(nullptr, ReadInstallDefault(sz, L"TKID0340"));
    EXPECT_EQ(SENTINEL, sz[0]);
}

TEST_F(InstallLinesTest, ReadInstallDefaultIsNullForAnotherSubkey) {
    ASSERT_TRUE(m_key.SetString(nullptr, L"D:\\Kestal\\Docs")) << m_key.Error();
    wchar_t sz[INSTALL_TEXT_CHARS];
    std::fill(std::begin(sz), std::end(sz), SENTINEL);
    EXPECT_EQ(nullptr, ReadInstallDefault(sz, L"TKID0341"));
    EXPECT_EQ(nullptr, ReadInstallDefault(sz, std::wstring(400, L'K').c_str()))
        << "a key path longer than its 360-unit buffer";
    EXPECT_EQ(SENTINEL, sz[0]);
}

TEST_F(InstallLinesTest, VersionLineHasModelAndVersionInPlace) {
    ASSERT_TRUE(m_key.SetString(L"version", L"1.0.2")) << m_key.Error();
    EXPECT_EQ(L"KESTAL-3 5 9 Driver 1.0.2", MakeDriverVersionLine());
}

TEST_F(InstallLinesTest, VersionLineIsEmptyWithoutTheValue) {
    ASSERT_TRUE(m_key.SetString(L"copyright", L"(c) someone")) << m_key.Error();
    ASSERT_TRUE(m_key.SetString(nullptr, L"C:\\Docs")) << m_key.Error();
    EXPECT_EQ(L"", MakeDriverVersionLine());
}

TEST_F(InstallLinesTest, VersionLineIsEmptyWithoutTheKey) {
    EXPECT_EQ(L"", MakeDriverVersionLine());
}

TEST_F(InstallLinesTest, VersionOf178CharactersIsShownInFull) {
    ASSERT_TRUE(m_key.SetString(L"version", Letters(178))) << m_key.Error();
    EXPECT_EQ(L"KESTAL-3 5 9 Driver " + Letters(178), MakeDriverVersionLine());
}

TEST_F(InstallLinesTest, VersionOf200CharactersCountsAsAbsent) {
    ASSERT_TRUE(m_key.SetString(L"version", Letters(200))) << m_key.Error();
    std::wstring line = MakeDriverVersionLine();
    EXPECT_EQ(L"", line) << Narrow(line);
}

TEST_F(InstallLinesTest, VersionTextIsNotSearchedForTheModelPlaceholder) {
    ASSERT_TRUE(m_key.SetString(L"version", L"__MODEL__ __VERSION__")) << m_key.Error();
    EXPECT_EQ(L"KESTAL-3 5 9 Driver __MODEL__ __VERSION__", MakeDriverVersionLine());
}

TEST_F(InstallLinesTest, CopyrightIsTheValueAsStored) {
    ASSERT_TRUE(m_key.SetString(L"copyright", L"(C) 2026 __MODEL__ maker")) << m_key.Error();
    std::wstring text = L"template";
    EXPECT_TRUE(MakeCopyrightLine(text));
    EXPECT_EQ(L"(C) 2026 __MODEL__ maker", text);
}

TEST_F(InstallLinesTest, EmptyCopyrightValueEmptiesTheLine) {
    ASSERT_TRUE(m_key.SetString(L"copyright", L"")) << m_key.Error();
    std::wstring text = L"template";
    EXPECT_TRUE(MakeCopyrightLine(text));
    EXPECT_EQ(L"", text) << "not IDS_PROP_COPYR: " << Narrow(text);
}

TEST_F(InstallLinesTest, AbsentCopyrightValueGivesTheTableLine) {
    const std::wstring table = TableString(IDS_PROP_COPYR);
    ASSERT_NE(L"", table) << "IDS_PROP_COPYR is missing from the resources";
    ASSERT_TRUE(m_key.SetString(L"version", L"1.0.2")) << m_key.Error();
    std::wstring text = L"template";
    EXPECT_TRUE(MakeCopyrightLine(text));
    EXPECT_EQ(table, text);
}

TEST_F(InstallLinesTest, CopyrightOf360BytesCountsAsAbsent) {
    const std::wstring table = TableString(IDS_PROP_COPYR);
    ASSERT_NE(L"", table) << "IDS_PROP_COPYR is missing from the resources";
    ASSERT_TRUE(m_key.SetString(L"copyright", Letters(179))) << m_key.Error();
    std::wstring text = L"template";
    EXPECT_TRUE(MakeCopyrightLine(text));
    EXPECT_EQ(table, text);
}

}  // namespace
