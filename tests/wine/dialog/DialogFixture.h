// The settings dialog against one simulated unit, with the installation key under the test's
// control.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "dialog/DrvPropDlg.h"
#include "sim/InProcessSim.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/InstallTestSupport.h"
#include "tests/wine/support/UserInput.h"

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        kptest::RegisterControlClasses();
        sim::ResetBus(&sim::InProcessBus());
        sim::InProcessBus().aUnit[0].bPresent = 1;
        ASSERT_TRUE(key.Ready()) << key.Error();
        dlg.m_aDevSlot.Build();
    }

    std::wstring Text(int nID) const { return dlg.GetDlgItem(nID).GetWindowTextW(); }
    bool Visible(int nID) const { return dlg.GetDlgItem(nID).IsWindowVisible() != FALSE; }
    bool Enabled(int nID) const { return dlg.GetDlgItem(nID).IsWindowEnabled() != FALSE; }

    // Opens the dialog, runs the check once it is up, and closes it with CLOSE.
    void WhileOpen(std::function<void()> check) {
        kptest::ScriptRun run = kptest::RunModalScript(
            dlg, {kptest::WaitUntil([&] { return dlg.m_nTimerId != 0; }), kptest::Do(check),
                  kptest::Do([&] { dlg.SendMessage(WM_COMMAND, IDOK); })});
        EXPECT_FALSE(run.bTimedOut);
        EXPECT_EQ(IDOK, run.nResult);
    }

    CInstallKeyScope key;
    CDrvPropDlg dlg;
};
