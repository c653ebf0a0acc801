// The settings dialog run modally against the simulated units for the live-refresh tests: the
// dialog, its controls, one tick on demand, and an ending as the program's failure paths do.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialog/DrvPropDlg.h"
#include "res/resource.h"
#include "tests/wine/refresh/RefreshTestSupport.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/UserInput.h"

namespace rftest {

inline constexpr char kTwoUnits[] = "'KESTAL-3 5 9(2)'=1, 'KESTAL-3 5 9(4)'=3";
inline constexpr char kDefaultRates[] =
    "' 44100 Hz'=44100, ' 48000 Hz'=48000, ' 88200 Hz'=88200, ' 96000 Hz'=96000";
inline constexpr char kClockTemplateText[] = "EXTERNAL (Unlocked)";
inline constexpr DWORD kPeriodMs = 330;

inline std::vector<int> Slots(const std::vector<const sim::LogEntry*>& requests) {
    std::vector<int> slots;
    for (const sim::LogEntry* e : requests)
        slots.push_back(e->nSlot);
    return slots;
}

inline std::string Repeat(const std::string& part, int nTimes) {
    std::string text;
    for (int i = 0; i < nTimes; ++i)
        text += (i ? " " : "") + part;
    return text;
}

// Runs the dialog through the steps, then ends it as the program's failure paths do.
inline void RunThenEnd(CDrvPropDlg& dlg, std::vector<kptest::ScriptStep> steps,
                       DWORD nTimeoutMs = 5000) {
    const size_t nSteps = steps.size() + 1;
    steps.push_back(kptest::Do([&dlg] { dlg.EndDialogAndStopTimer(IDCANCEL); }));
    kptest::ScriptRun run = kptest::RunModalScript(dlg, std::move(steps), nTimeoutMs);
    EXPECT_FALSE(run.bTimedOut) << "steps done: " << run.nStepsDone << " of " << nSteps;
    EXPECT_EQ(IDCANCEL, run.nResult);
}

class LiveRefreshTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kptest::RegisterControlClasses(); }
    void SetUp() override {
        sim::ResetBus(&Bus());
        m_dlg.m_aDevSlot.Build();
    }
    void TearDown() override {
        EXPECT_EQ(0, sim::OpenHandleCount()) << "a control device was left open";
    }

    void Run(std::vector<kptest::ScriptStep> steps, DWORD nTimeoutMs = 5000) {
        RunThenEnd(m_dlg, std::move(steps), nTimeoutMs);
    }

    HWND Ctl(int nID) const { return ::GetDlgItem(m_dlg.m_hWnd, nID); }
    bool Enabled(int nID) const { return ::IsWindowEnabled(Ctl(nID)) != FALSE; }
    // One refresh tick, at once and on the dialog's own thread.
    void Tick() { ::SendMessageW(m_dlg.m_hWnd, WM_TIMER, 1, 0); }
    bool Pick(int nID, int32_t nData) {
        return kptest::SelectComboItem(m_dlg.m_hWnd, nID, IndexOfData(Ctl(nID), nData));
    }

    CDrvPropDlg m_dlg;
};

}  // namespace rftest
