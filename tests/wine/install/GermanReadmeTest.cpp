// Run in a process started with a German (Switzerland) locale: the loader then picks the
// language-only German table, and the readme is the German document or none.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/support/InstallTestSupport.h"
#include "install/InstallInfo.h"

namespace {

class GermanReadme : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LANG_GERMAN, PRIMARYLANGID(GetUserDefaultUILanguage()))
            << "run with LC_ALL=de_CH.UTF-8; user-interface language is 0x" << std::hex
            << GetUserDefaultUILanguage();
        ASSERT_TRUE(m_key.Ready()) << m_key.Error();
        ASSERT_TRUE(m_folder.Ready()) << "no scratch folder, error " << GetLastError();
        ASSERT_TRUE(m_folder.MakeFolder(L"Readme"));
        ASSERT_TRUE(m_key.SetString(nullptr, m_folder.Path())) << m_key.Error();
    }

    CInstallKeyScope m_key;
    CScratchFolder m_folder;
};

TEST_F(GermanReadme, PathNamesTheGermanDocument) {
    EXPECT_EQ(m_folder.Path() + L"\\Readme\\Readme_DE.htm", GetReadmePath());
}

TEST_F(GermanReadme, EnglishDocumentAloneIsUnavailable) {
    ASSERT_TRUE(m_folder.MakeFile(L"Readme\\Readme_EN.htm"));
    CShellExecuteRecorder shell;
    ASSERT_TRUE(shell.Ready()) << "GetProcAddress is not imported by this test program";

    EXPECT_FALSE(IsReadmeAvailable()) << Narrow(GetReadmePath());
    OpenReadme();
    EXPECT_EQ(0u, shell.Calls().size()) << "no fallback to the English document";
}

TEST_F(GermanReadme, GermanDocumentIsAvailable) {
    ASSERT_TRUE(m_folder.MakeFile(L"Readme\\Readme_DE.htm"));
    EXPECT_TRUE(IsReadmeAvailable()) << Narrow(GetReadmePath());
}

}  // namespace
