// Runs a dialog modally while a script acts on it from inside the dialog's own modal loop.
//
//   ScriptRun run = RunModalScript(dlg, {
//       Do([&] { ClickButton(dlg.m_hWnd, IDC_APPLY); }),
//       WaitUntil([&] { return dlg.m_nTicks > 0; }),
//       Do([&] { PostKey(::GetFocus(), VK_RETURN); }),
//   });
//   EXPECT_EQ(IDOK, run.nResult);
//
// The steps run on the test's thread, one per timer tick (nPeriodMs), so input posted by one
// step has been handled by the dialog before the next step runs. A step returns true when it is
// done and false to be called again at the next tick. When the dialog is still open nTimeoutMs
// after the start, the run ends it with kScriptTimedOut (first closing any message box the
// dialog's thread shows) and reports bTimedOut.
#pragma once

#include "framework/Dialog.h"

#include <functional>
#include <vector>

namespace kptest {

// Registers the common control classes (trackbar and the rest) as the program's start-up does;
// dialog tests call it before their first DoModal.
void RegisterControlClasses();

using ScriptStep = std::function<bool()>;

// A step that runs an action once.
ScriptStep Do(std::function<void()> action);
// A step that waits, tick after tick, until the condition holds.
ScriptStep WaitUntil(std::function<bool()> condition);

constexpr int kScriptTimedOut = -2;

struct ScriptRun {
    INT_PTR nResult;    // what DoModal returned
    size_t nStepsDone;  // steps that completed
    bool bTimedOut;     // the run ended the dialog itself
};

ScriptRun RunModalScript(CDialog& dlg, std::vector<ScriptStep> steps, DWORD nTimeoutMs = 5000,
                         UINT nPeriodMs = 10);

}  // namespace kptest
