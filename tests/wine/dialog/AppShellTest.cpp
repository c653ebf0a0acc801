// Start-up's pieces: the title, the single-instance marker and search, the no-device dialog.
#include <gtest/gtest.h>

#include "app/DrvPropApp.h"
#include "app/DrvPropNoDevDlg.h"
#include "app/SingleInstance.h"
#include "dialog/TitleText.h"
#include "res/resource.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/InstallTestSupport.h"
#include "tests/wine/support/UserInput.h"

TEST(AppShell, TitleAndMutexName) {
    EXPECT_EQ(L"KESTAL-3 5 9 Driver Settings", GetTitleText());
    EXPECT_EQ(L"com.kestal-audio-works.Tkdp3340.exe", MakeMutexName());
}

// No help file ships beside the program, so the handler itself shows nothing.
TEST(AppShell, OnlyTheHelpCommandReachesTheApplicationAndGoesToTheDefaultHandler) {
    CDrvPropApp app;
    const AppMsgMap* pMap = app.GetMessageMap();
    ASSERT_EQ(1u, pMap->nEntries);
    EXPECT_EQ(ID_HELP, pMap->pEntries[0].nID);
    EXPECT_TRUE(pMap->pEntries[0].pfn == &CWinApp::OnHelp);
    EXPECT_TRUE(app.OnCmdMsg(ID_HELP));
    for (int nID : {IDOK, IDCANCEL, IDC_APPLY, IDC_README}) {
        EXPECT_FALSE(app.OnCmdMsg(static_cast<UINT>(nID))) << nID;
    }
}

struct MatchCase {
    const wchar_t* windowText;
    bool matches;
};

TEST(AppShell, RunningInstanceIsFoundByTheStartOfItsTitle) {
    const MatchCase cases[] = {
        {L"KESTAL-3 5 9 Driver Settings", true},
        {L"KESTAL-3 5 9 Driver Settings - more", true},
        {L"KESTAL-3 5 9 Driver", false},
        {L"kestal-3 5 9 driver settings", false},
        {L"", false},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(c.matches, TitleMatches(L"KESTAL-3 5 9 Driver Settings", c.windowText))
            << Narrow(c.windowText);
    }
}

TEST(AppShell, ActivationShowsTheMatchingWindowAndStopsTheSearch) {
    HWND hWnd = ::CreateWindowExW(0, L"STATIC", L"KESTAL-3 5 9 Driver Settings (test)", WS_POPUP, 0,
                                  0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    const wchar_t* title = L"KESTAL-3 5 9 Driver Settings";
    EXPECT_FALSE(ActivateRunningInstance(hWnd, reinterpret_cast<LPARAM>(title)));
    EXPECT_TRUE(::IsWindowVisible(hWnd)) << "a hidden window is shown";
    const wchar_t* other = L"Another title";
    EXPECT_TRUE(ActivateRunningInstance(hWnd, reinterpret_cast<LPARAM>(other)));
    ::DestroyWindow(hWnd);
}

class NoDeviceDialog : public ::testing::Test {
protected:
    void SetUp() override {
        kptest::RegisterControlClasses();
        ASSERT_TRUE(key.Ready()) << key.Error();
    }
    INT_PTR RunAndClose(std::function<void()> check, UINT nKey) {
        kptest::ScriptRun run = kptest::RunModalScript(
            dlg,
            {kptest::WaitUntil([&] { return dlg.IsWindowVisible() != FALSE; }), kptest::Do(check),
             kptest::Do([&] { kptest::PostKey(dlg.GetDlgItem(IDOK), nKey); })});
        EXPECT_FALSE(run.bTimedOut);
        return run.nResult;
    }
    std::wstring Text(int nID) const { return dlg.GetDlgItem(nID).GetWindowTextW(); }

    CInstallKeyScope key;
    CDrvPropNoDevDlg dlg;
};

TEST_F(NoDeviceDialog, SaysSoAndOffersNoReadmeWithoutOne) {
    INT_PTR nResult = RunAndClose(
        [&] {
            EXPECT_EQ(L"KESTAL-3 5 9 Driver Settings", dlg.GetWindowTextW());
            EXPECT_EQ(
                L"The device is not connected.\nPlease connect the device before you execute.",
                Text(IDC_NO_DEV_MESSAGE));
            EXPECT_EQ(L"OK", Text(IDOK));
            EXPECT_EQ(L"Show \"README\"", Text(IDC_README));
            EXPECT_TRUE(dlg.GetDlgItem(IDC_README).IsWindowVisible());
            EXPECT_FALSE(dlg.GetDlgItem(IDC_README).IsWindowEnabled());
            EXPECT_EQ(0u, dlg.GetStyle() & WS_SYSMENU) << "no system menu, no close box";
            EXPECT_NE(0, dlg.SendMessage(WM_GETICON, ICON_BIG)) << "big icon";
            EXPECT_NE(0, dlg.SendMessage(WM_GETICON, ICON_SMALL)) << "small icon";
        },
        VK_RETURN);
    EXPECT_EQ(IDOK, nResult) << "Enter presses OK";
}

TEST_F(NoDeviceDialog, ReadmeButtonOpensTheDocumentAndEscapeCloses) {
    CScratchFolder folder;
    ASSERT_TRUE(folder.MakeFolder(L"Readme") && folder.MakeFile(L"Readme\\Readme_EN.htm"));
    ASSERT_TRUE(key.CreateKey() && key.SetString(nullptr, folder.Path()));
    CShellExecuteRecorder shell;
    INT_PTR nResult = RunAndClose(
        [&] {
            EXPECT_TRUE(dlg.GetDlgItem(IDC_README).IsWindowEnabled());
            EXPECT_TRUE(kptest::ClickButton(dlg.m_hWnd, IDC_README));
        },
        VK_ESCAPE);
    EXPECT_EQ(IDCANCEL, nResult);
    ASSERT_EQ(1u, shell.Calls().size());
    EXPECT_EQ(folder.Path() + L"\\Readme\\Readme_EN.htm", shell.Calls()[0].file);
}
