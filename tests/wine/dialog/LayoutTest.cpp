// What the user sees when the settings dialog opens: title, labels, the lines of the
// installation, and the controls that stay out of sight.
#include "DialogFixture.h"
#include "res/resource.h"

namespace {
struct LabelCase {
    int nID;
    const wchar_t* text;
};

const LabelCase kEnglishLabels[] = {
    {IDC_GRP_BUF_SIZE, L"Audio Buffer Size"},
    {IDC_ABB_MIN, L"Min."},
    {IDC_ABB_MAX, L"Max."},
    {IDC_GRP_PERFORMANCE, L"Audio Streaming Performance"},
    {IDC_REAL_TIME_LABEL, L"Real Time:"},
    {IDC_STABILITY_LABEL, L"Stability:"},
    {IDC_GRP_WIN_SOUND, L"Windows sound Setting"},
    {IDC_BN_MATCH_ASIO_RATE, L"Match with the ASIO sample rate"},
    {IDC_GRP_ASIO, L"ASIO Setting"},
    {IDC_ASIO_BUF_LABEL, L"ASIO Buffer Size:"},
    {IDC_ASIO_CREDIT, L"ASIO Technology by\nSteinberg Media Technologies GmbH"},
    {IDC_README, L"Show \"README\""},
    {IDOK, L"Close"},
    {IDCANCEL, L"Revert"},
    {IDC_APPLY, L"Apply"},
    {IDC_DEFAULT, L"Default"},
};
}  // namespace

TEST_F(SettingsDialog, OpensWithTheTitleAndTheLabelsOfTheUsersLanguage) {
    WhileOpen([&] {
        EXPECT_EQ(L"KESTAL-3 5 9 Driver Settings", dlg.GetWindowTextW());
        for (const LabelCase& label : kEnglishLabels) {
            EXPECT_EQ(label.text, Text(label.nID)) << "control " << label.nID;
        }
    });
}

TEST_F(SettingsDialog, TemplateTextsStayWhereNoStringReplacesThem) {
    WhileOpen([&] {
        HWND hRateCaption = ::GetWindow(dlg.GetDlgItem(IDC_CMB_FREQ), GW_HWNDPREV);
        EXPECT_EQ(L"SAMPLE RATE:", CWnd(hRateCaption).GetWindowTextW());
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(std::to_wstring(i + 1), Text(IDC_LEVEL_1 + i)) << "level label " << i;
        }
        EXPECT_EQ(L"^", Text(IDC_LEVEL_MARK));
        EXPECT_EQ(L"EXTERNAL (Unlocked)", Text(IDC_CLOCK_STATE)) << "hidden, never written";
    });
}

TEST_F(SettingsDialog, PlaceholdersAndLabel11StayOutOfSight) {
    WhileOpen([&] {
        EXPECT_FALSE(Visible(IDC_BN_ASIO_LIGHT));
        EXPECT_FALSE(Enabled(IDC_BN_ASIO_LIGHT)) << "disabled and hidden when the dialog opens";
        const int hidden[] = {IDC_CLOCK_STATE,  IDC_BN_ASIO_MON,     IDC_BN_MULTI_WDM, IDC_STATE,
                              IDC_BN_VS_EXPAND, IDC_VS_EXPAND_LABEL, IDC_LEVEL_11};
        for (int nID : hidden)
            EXPECT_FALSE(Visible(nID)) << "control " << nID;
        EXPECT_EQ(nullptr, dlg.GetDlgItem(IDC_RUNNING_RATE).m_hWnd);
        EXPECT_EQ(nullptr, dlg.GetDlgItem(IDC_RATE_NOTICE).m_hWnd);
    });
}

TEST_F(SettingsDialog, HasNoCloseBoxAndApplyStartsDisabled) {
    WhileOpen([&] {
        EXPECT_EQ(0u, dlg.GetStyle() & WS_SYSMENU);
        EXPECT_NE(0u, ::GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_FALSE(Enabled(IDC_APPLY));
        EXPECT_TRUE(Enabled(IDOK));
    });
}

TEST_F(SettingsDialog, WithoutInstallationValuesTheLinesFallBack) {
    WhileOpen([&] {
        EXPECT_EQ(L"", Text(IDC_DRV_VERSION)) << "never the template's placeholder";
        EXPECT_EQ(TableString(IDS_PROP_COPYR), Text(IDC_COPYRIGHT));
        EXPECT_FALSE(Enabled(IDC_README)) << "no readme folder";
    });
}

TEST_F(SettingsDialog, InstallationValuesFillTheLinesAndTheReadmeOpens) {
    CScratchFolder folder;
    ASSERT_TRUE(folder.Ready());
    ASSERT_TRUE(folder.MakeFolder(L"Readme"));
    ASSERT_TRUE(folder.MakeFile(L"Readme\\Readme_EN.htm"));
    ASSERT_TRUE(key.CreateKey());
    ASSERT_TRUE(key.SetString(L"version", L"Ver.1.0.7"));
    ASSERT_TRUE(key.SetString(L"copyright", L"(C) test line"));
    ASSERT_TRUE(key.SetString(nullptr, folder.Path()));
    CShellExecuteRecorder shell;
    ASSERT_TRUE(shell.Ready());
    WhileOpen([&] {
        EXPECT_EQ(L"KESTAL-3 5 9 Driver Ver.1.0.7", Text(IDC_DRV_VERSION));
        EXPECT_EQ(L"(C) test line", Text(IDC_COPYRIGHT));
        EXPECT_TRUE(Enabled(IDC_README));
        EXPECT_TRUE(kptest::ClickButton(dlg.m_hWnd, IDC_README));
    });
    ASSERT_EQ(1u, shell.Calls().size());
    EXPECT_EQ(L"open", shell.Calls()[0].verb);
    EXPECT_EQ(folder.Path() + L"\\Readme\\Readme_EN.htm", shell.Calls()[0].file);
}

TEST_F(SettingsDialog, TabWalksTheUsableControlsInTemplateOrder) {
    CScratchFolder folder;
    ASSERT_TRUE(folder.MakeFolder(L"Readme") && folder.MakeFile(L"Readme\\Readme_EN.htm"));
    ASSERT_TRUE(key.CreateKey() && key.SetString(nullptr, folder.Path()));
    WhileOpen([&] {
        kptest::ClickButton(dlg.m_hWnd, IDC_DEFAULT);  // enables Apply, so it takes part
        const int order[] = {IDC_CMB_DEV, IDC_CMB_FREQ, IDC_SLD_BUFFER, IDCANCEL,
                             IDC_APPLY,   IDC_README,   IDOK,           IDC_BN_MATCH_ASIO_RATE,
                             IDC_DEFAULT, IDC_CMB_DEV};
        HWND hCtl = dlg.GetDlgItem(order[0]);
        for (size_t i = 1; i < std::size(order); ++i) {
            hCtl = ::GetNextDlgTabItem(dlg.m_hWnd, hCtl, FALSE);
            EXPECT_EQ(order[i], ::GetDlgCtrlID(hCtl)) << "tab stop " << i;
        }
    });
}
