// The readme path, its availability and its opening, with documents in a scratch folder.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/support/InstallTestSupport.h"
#include "install/InstallInfo.h"

namespace {

const wchar_t README_EN[] = L"Readme\\Readme_EN.htm";

class ReadmeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(LANG_ENGLISH, PRIMARYLANGID(GetUserDefaultUILanguage()))
            << "user-interface language 0x" << std::hex << GetUserDefaultUILanguage();
        ASSERT_TRUE(m_key.Ready()) << m_key.Error();
        ASSERT_TRUE(m_folder.Ready()) << "no scratch folder, error " << GetLastError();
    }
    void InstallEnglishDocument() {
        ASSERT_TRUE(m_folder.MakeFolder(L"Readme"));
        ASSERT_TRUE(m_folder.MakeFile(README_EN));
    }

    CInstallKeyScope m_key;
    CScratchFolder m_folder;
};

TEST_F(ReadmeTest, PathIsFolderBackslashAndTheLanguagesName) {
    ASSERT_TRUE(m_key.SetString(nullptr, m_folder.Path())) << m_key.Error();
    EXPECT_EQ(m_folder.Path() + L"\\Readme\\Readme_EN.htm", GetReadmePath());
}

TEST_F(ReadmeTest, AvailableWhenTheDocumentExists) {
    InstallEnglishDocument();
    ASSERT_TRUE(m_key.SetString(nullptr, m_folder.Path())) << m_key.Error();
    EXPECT_TRUE(IsReadmeAvailable()) << Narrow(GetReadmePath());
}

TEST_F(ReadmeTest, UnavailableWhenTheDocumentIsMissing) {
    ASSERT_TRUE(m_folder.MakeFolder(L"Readme"));
    ASSERT_TRUE(m_key.SetString(nullptr, m_folder.Path())) << m_key.Error();
    EXPECT_FALSE(IsReadmeAvailable()) << Narrow(GetReadmePath());
}

TEST_F(ReadmeTest, EmptyDefaultValueMeansNoReadme) {
    InstallEnglishDocument();
    ASSERT_TRUE(m_key.SetString(nullptr, L"")) << m_key.Error();
    ASSERT_TRUE(m_key.SetString(L"version", L"1.0.2")) << m_key.Error();
    std::wstring path = GetReadmePath();
    EXPECT_EQ(L"", path) << Narrow(path);
    EXPECT_FALSE(IsReadmeAvailable());
}

TEST_F(ReadmeTest, NoKeyMeansNoReadme) {
    std::wstring path = GetReadmePath();
    EXPECT_EQ(L"", path) << Narrow(path);
    EXPECT_FALSE(IsReadmeAvailable());
}

TEST_F(ReadmeTest, FolderOf179UnitsCountsAsAbsent) {
    ASSERT_TRUE(m_key.SetString(nullptr, L"C:\\" + std::wstring(176, L'd'))) << m_key.Error();
    std::wstring path = GetReadmePath();
    EXPECT_EQ(L"", path) << Narrow(path);
}

TEST_F(ReadmeTest, TrailingBackslashIsDoubledAndKept) {
    InstallEnglishDocument();
    ASSERT_TRUE(m_key.SetString(nullptr, m_folder.Path() + L"\\")) << m_key.Error();
    EXPECT_EQ(m_folder.Path() + L"\\\\Readme\\Readme_EN.htm", GetReadmePath());

    CShellExecuteRecorder shell;
    ASSERT_TRUE(shell.Ready()) << "GetProcAddress is not imported by this test program";
    OpenReadme();
    ASSERT_EQ(1u, shell.Calls().size()) << "the doubled backslash still names the document";
    EXPECT_EQ(m_folder.Path() + L"\\\\Readme\\Readme_EN.htm", shell.Calls()[0].file)
        << "the path reaches the shell unchanged";
}

TEST_F(ReadmeTest, FolderNamedLikeTheDocumentIsUnavailable) {
    ASSERT_TRUE(m_folder.MakeFolder(L"Readme"));
    ASSERT_TRUE(m_folder.MakeFolder(README_EN));
    ASSERT_TRUE(m_key.SetString(nullptr, m_folder.Path())) << m_key.Error();
    EXPECT_FALSE(IsReadmeAvailable()) << Narrow(GetReadmePath());
}

TEST_F(ReadmeTest, IsExistingFileTellsFilesFromFoldersAndMissingPaths) {
    InstallEnglishDocument();
    EXPECT_TRUE(IsExistingFile((m_folder.Path() + L"\\" + README_EN).c_str()));
    EXPECT_FALSE(IsExistingFile((m_folder.Path() + L"\\Readme").c_str())) << "a folder";
    EXPECT_FALSE(IsExistingFile((m_folder.Path() + L"\\Readme\\none.htm").c_str()));
    EXPECT_FALSE(IsExistingFile(L""));
}

TEST_F(ReadmeTest, OpenReadmeHandsTheDocumentToTheShell) {
    InstallEnglishDocument();
    ASSERT_TRUE(m_key.SetString(nullptr, m_folder.Path())) << m_key.Error();
    CShellExecuteRecorder shell;
    ASSERT_TRUE(shell.Ready()) << "GetProcAddress is not imported by this test program";

    OpenReadme();

    ASSERT_EQ(1u, shell.Calls().size());
    const ShellCall& call = shell.Calls()[0];
    EXPECT_EQ(NULL, call.hwnd);
    EXPECT_EQ(L"open", call.verb);
    EXPECT_EQ(m_folder.Path() + L"\\Readme\\Readme_EN.htm", call.file);
    EXPECT_FALSE(call.bNullParameters) << "parameters are the empty text, not null";
    EXPECT_EQ(L"", call.parameters);
    EXPECT_FALSE(call.bNullDirectory) << "the folder is the empty text, not null";
    EXPECT_EQ(L"", call.directory);
    EXPECT_EQ(SW_SHOW, call.nShow);
}

TEST_F(ReadmeTest, OpenReadmeDoesNothingWhenUnavailable) {
    ASSERT_TRUE(m_folder.MakeFolder(L"Readme"));
    ASSERT_TRUE(m_key.SetString(nullptr, m_folder.Path())) << m_key.Error();
    CShellExecuteRecorder shell;
    ASSERT_TRUE(shell.Ready()) << "GetProcAddress is not imported by this test program";

    OpenReadme();

    EXPECT_EQ(0u, shell.Calls().size())
        << "shell asked to open " << Narrow(shell.Calls().empty() ? L"" : shell.Calls()[0].file);
}

}  // namespace
