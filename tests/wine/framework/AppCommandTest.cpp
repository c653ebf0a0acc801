// The application's command map: what a dialog leaves of a command goes on to the application,
// notifications do not, and the help file is looked for beside the program.
#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "tests/wine/framework/FrameworkTestRes.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/UserInput.h"

#include <iterator>

using kptest::Do;
using kptest::RunModalScript;

namespace {

class CProbeApp : public CWinApp {
public:
    BOOL InitInstance() override { return FALSE; }
    const AppMsgMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const AppMsgMap* GetThisMessageMap() {
        static const AppCmdEntry kEntries[] = {
            {IDC_FW_PRESS, static_cast<void (CWinApp::*)()>(&CProbeApp::OnPress)},
            {IDC_FW_COMBO, static_cast<void (CWinApp::*)()>(&CProbeApp::OnCombo)},
            {ID_HELP, static_cast<void (CWinApp::*)()>(&CProbeApp::OnHelpProbe)},
        };
        static const AppMsgMap kMap = {&CWinApp::GetThisMessageMap, kEntries, std::size(kEntries)};
        return &kMap;
    }

    int m_nPress = 0;
    int m_nCombo = 0;
    int m_nHelp = 0;

private:
    void OnPress() { ++m_nPress; }
    void OnCombo() { ++m_nCombo; }
    void OnHelpProbe() { ++m_nHelp; }
};

class CPlainDlg : public CDialog {
public:
    CPlainDlg() : CDialog(IDD_FW_TEST) {}
};

// Takes the button itself: the application must not see it as well.
class CPressDlg : public CDialog {
public:
    CPressDlg() : CDialog(IDD_FW_TEST) {}
    const MsgMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MsgMap* GetThisMessageMap() {
        static const MsgMapEntry kEntries[] = {MapBnClicked(IDC_FW_PRESS, &CPressDlg::OnPress)};
        static const MsgMap kMap = {&CDialog::GetThisMessageMap, kEntries, std::size(kEntries)};
        return &kMap;
    }
    int m_nPress = 0;

private:
    void OnPress() { ++m_nPress; }
};

class AppCommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kptest::RegisterControlClasses(); }
};

TEST_F(AppCommandTest, CommandsTheDialogLeavesReachTheApplication) {
    CProbeApp app;
    CPlainDlg dlg;
    kptest::ScriptRun run =
        RunModalScript(dlg, {Do([&] {
                           EXPECT_TRUE(kptest::ClickButton(dlg.m_hWnd, IDC_FW_PRESS));
                           // A menu command and the same command from an accelerator.
                           ::SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
                           ::SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(ID_HELP, 1), 0);
                           // A list's notification is the dialog's business only.
                           kptest::SelectComboItem(dlg.m_hWnd, IDC_FW_COMBO, 0);
                           dlg.EndDialog(IDOK);
                       })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(1, app.m_nPress);
    EXPECT_EQ(2, app.m_nHelp);
    EXPECT_EQ(0, app.m_nCombo);
}

TEST_F(AppCommandTest, CommandsTheDialogHandlesStayWithIt) {
    CProbeApp app;
    CPressDlg dlg;
    kptest::ScriptRun run = RunModalScript(dlg, {Do([&] {
                                               kptest::ClickButton(dlg.m_hWnd, IDC_FW_PRESS);
                                               // The dialog's own Cancel still ends it although the
                                               // application is there.
                                               kptest::ClickButton(dlg.m_hWnd, IDCANCEL);
                                           })});
    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_EQ(1, dlg.m_nPress);
    EXPECT_EQ(0, app.m_nPress);
}

TEST_F(AppCommandTest, MapIsSearchedFromTheClassToItsBase) {
    CProbeApp app;
    EXPECT_TRUE(app.OnCmdMsg(IDC_FW_PRESS));
    EXPECT_FALSE(app.OnCmdMsg(IDC_FW_CHECK));
    EXPECT_EQ(1, app.m_nPress);
}

TEST_F(AppCommandTest, HelpFileIsLookedForBesideTheProgram) {
    CProbeApp app;
    wchar_t szModule[MAX_PATH];
    const DWORD nLength = ::GetModuleFileNameW(nullptr, szModule, MAX_PATH);
    ASSERT_GT(nLength, 4u);
    std::wstring expected(szModule, nLength);
    ASSERT_EQ(L".exe", expected.substr(expected.size() - 4));
    expected.replace(expected.size() - 4, 4, L".HLP");
    EXPECT_EQ(expected, app.GetHelpFilePath());
    // There is none, so asking for help starts no help viewer and the dialog stays active.
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(expected.c_str()));
    CPlainDlg dlg;
    HWND hDlg = nullptr, hActive = nullptr, hViewer = nullptr;
    DWORD nAskedAt = 0;
    RunModalScript(dlg,
                   {Do([&] {
                        hDlg = dlg.m_hWnd;
                        app.OnHelp();
                        nAskedAt = ::GetTickCount();
                    }),
                    kptest::WaitUntil([&] { return ::GetTickCount() - nAskedAt >= 300; }), Do([&] {
                        hActive = ::GetActiveWindow();
                        hViewer = ::FindWindowW(L"MS_WINHELP", nullptr);
                        dlg.EndDialog(IDOK);
                    })});
    EXPECT_EQ(hDlg, hActive);
    EXPECT_EQ(nullptr, hViewer);
}

}  // namespace
