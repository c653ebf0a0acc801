// The data exchange: DDX_Check moves the check state both ways, DDX_Control binds a control for
// the window's lifetime.
#include <gtest/gtest.h>

#include "framework/Button.h"
#include "framework/ComboBox.h"
#include "framework/Dialog.h"
#include "tests/wine/framework/FrameworkTestRes.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/UserInput.h"

using kptest::Do;
using kptest::RunModalScript;
using kptest::ScriptRun;

namespace {

class DataExchangeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kptest::RegisterControlClasses(); }
};

class CExchangeDlg : public CDialog {
public:
    CExchangeDlg() : CDialog(IDD_FW_TEST) {}

    int m_nCheck = 0;
    int m_nMissing = 5;
    CButton m_btnPress;
    CComboBox m_cmb;
    int m_nExchanges = 0;

    int ControlCheck() const {
        return static_cast<int>(::SendDlgItemMessageW(m_hWnd, IDC_FW_CHECK, BM_GETCHECK, 0, 0));
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        ++m_nExchanges;
        EXPECT_EQ(this, pDX->m_pDlgWnd);
        DDX_Control(pDX, IDC_FW_PRESS, m_btnPress);
        DDX_Control(pDX, IDC_FW_COMBO, m_cmb);
        DDX_Check(pDX, IDC_FW_CHECK, m_nCheck);
        DDX_Check(pDX, 4321, m_nMissing);
    }
};

TEST_F(DataExchangeTest, InitialisationShowsTheMemberInTheCheckBox) {
    CExchangeDlg dlg;
    dlg.m_nCheck = 1;
    int nShown = -1;
    RunModalScript(dlg, {Do([&] {
                       nShown = dlg.ControlCheck();
                       dlg.EndDialog(IDCANCEL);
                   })});
    EXPECT_EQ(BST_CHECKED, nShown);
    EXPECT_EQ(1, dlg.m_nExchanges) << "once, from the base OnInitDialog";
}

TEST_F(DataExchangeTest, CheckStateMovesBothWays) {
    CExchangeDlg dlg;
    RunModalScript(dlg, {Do([&] {
                       EXPECT_EQ(BST_UNCHECKED, dlg.ControlCheck());
                       EXPECT_TRUE(kptest::ClickButton(dlg.m_hWnd, IDC_FW_CHECK));
                       EXPECT_EQ(0, dlg.m_nCheck) << "not before the exchange";
                       EXPECT_TRUE(dlg.UpdateData(TRUE));
                       EXPECT_EQ(1, dlg.m_nCheck);

                       dlg.m_nCheck = 0;
                       EXPECT_TRUE(dlg.UpdateData(FALSE));
                       EXPECT_EQ(BST_UNCHECKED, dlg.ControlCheck());
                       dlg.m_nCheck = 1;
                       dlg.UpdateData(FALSE);
                       EXPECT_EQ(BST_CHECKED, dlg.ControlCheck());
                       dlg.m_nCheck = 7;
                       dlg.UpdateData(FALSE);
                       EXPECT_EQ(BST_UNCHECKED, dlg.ControlCheck()) << "no such state";
                       dlg.EndDialog(IDCANCEL);
                   })});
    EXPECT_EQ(5, dlg.m_nMissing) << "a missing control leaves its member alone";
}

TEST_F(DataExchangeTest, OKStoresTheControlsIntoTheMembers) {
    CExchangeDlg dlg;
    ScriptRun run = RunModalScript(dlg, {Do([&] {
                                       kptest::ClickButton(dlg.m_hWnd, IDC_FW_CHECK);
                                       kptest::ClickButton(dlg.m_hWnd, IDOK);
                                   })});
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ(1, dlg.m_nCheck);
}

TEST_F(DataExchangeTest, CancelLeavesTheMembersAlone) {
    CExchangeDlg dlg;
    ScriptRun run = RunModalScript(dlg, {Do([&] {
                                       kptest::ClickButton(dlg.m_hWnd, IDC_FW_CHECK);
                                       kptest::ClickButton(dlg.m_hWnd, IDCANCEL);
                                   })});
    EXPECT_EQ(IDCANCEL, run.nResult);
    EXPECT_EQ(0, dlg.m_nCheck);
}

TEST_F(DataExchangeTest, ControlsAreBoundOnceAndReleasedWithTheWindow) {
    CExchangeDlg dlg;
    EXPECT_EQ(nullptr, dlg.m_btnPress.m_hWnd);
    EXPECT_FALSE(dlg.UpdateData(FALSE)) << "no window yet";
    RunModalScript(dlg, {Do([&] {
                       EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDC_FW_PRESS), dlg.m_btnPress.m_hWnd);
                       EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDC_FW_COMBO), dlg.m_cmb.m_hWnd);
                       EXPECT_EQ(0, dlg.m_cmb.GetCount()) << "usable at once";
                       HWND hBefore = dlg.m_btnPress.m_hWnd;
                       dlg.UpdateData(TRUE);
                       EXPECT_EQ(hBefore, dlg.m_btnPress.m_hWnd);
                       dlg.EndDialog(IDOK);
                   })});
    EXPECT_EQ(nullptr, dlg.m_btnPress.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_cmb.m_hWnd);

    // A second run binds the new window's controls.
    HWND hPressSeen = nullptr;
    RunModalScript(dlg, {Do([&] {
                       hPressSeen = dlg.m_btnPress.m_hWnd;
                       EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDC_FW_PRESS), hPressSeen);
                       dlg.EndDialog(IDOK);
                   })});
    EXPECT_NE(nullptr, hPressSeen);
    EXPECT_EQ(nullptr, dlg.m_btnPress.m_hWnd);
}

}  // namespace
