#include "tests/wine/support/DialogScript.h"

#include <commctrl.h>

namespace kptest {

namespace {

const wchar_t kScriptClass[] = L"KpTestDialogScript";

struct ScriptState {
    CDialog* pDlg;
    std::vector<ScriptStep> steps;
    size_t nNext = 0;
    DWORD nStart = 0;
    DWORD nTimeoutMs = 0;
    bool bInStep = false;
    bool bTimedOut = false;
};

BOOL CALLBACK EndBoxOfThread(HWND hWnd, LPARAM lParam) {
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    if (hWnd != reinterpret_cast<HWND>(lParam) && lstrcmpW(szClass, L"#32770") == 0 &&
        ::IsWindowVisible(hWnd)) {
        ::EndDialog(hWnd, IDCANCEL);
    }
    return TRUE;
}

void OnTick(ScriptState& state) {
    if (state.pDlg->m_hWnd == nullptr) {
        return;
    }
    if (::GetTickCount() - state.nStart > state.nTimeoutMs) {
        if (!state.bTimedOut) {
            state.bTimedOut = true;
            // A step may be stuck in a message box's loop: end those first.
            ::EnumThreadWindows(::GetCurrentThreadId(), EndBoxOfThread,
                                reinterpret_cast<LPARAM>(state.pDlg->m_hWnd));
            state.pDlg->EndDialog(kScriptTimedOut);
        }
        return;
    }
    // A step that opened a message box is still running: its loop delivers our ticks too.
    if (state.bInStep || state.nNext >= state.steps.size()) {
        return;
    }
    state.bInStep = true;
    const bool bDone = state.steps[state.nNext]();
    state.bInStep = false;
    if (bDone) {
        ++state.nNext;
    }
}

LRESULT CALLBACK ScriptWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_TIMER) {
        auto* pState = reinterpret_cast<ScriptState*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (pState != nullptr) {
            OnTick(*pState);
        }
        return 0;
    }
    return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);
}

}  // namespace

void RegisterControlClasses() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
}

ScriptStep Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

ScriptStep WaitUntil(std::function<bool()> condition) {
    return condition;
}

ScriptRun RunModalScript(CDialog& dlg, std::vector<ScriptStep> steps, DWORD nTimeoutMs,
                         UINT nPeriodMs) {
    HINSTANCE hInstance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ScriptWndProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = kScriptClass;
    ::RegisterClassW(&wc);  // fails harmlessly when already registered

    ScriptState state;
    state.pDlg = &dlg;
    state.steps = std::move(steps);
    state.nStart = ::GetTickCount();
    state.nTimeoutMs = nTimeoutMs;
    HWND hScript = ::CreateWindowExW(0, kScriptClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     hInstance, nullptr);
    ::SetWindowLongPtrW(hScript, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    ::SetTimer(hScript, 1, nPeriodMs, nullptr);

    ScriptRun run;
    run.nResult = dlg.DoModal();
    ::KillTimer(hScript, 1);
    ::DestroyWindow(hScript);
    run.nStepsDone = state.nNext;
    run.bTimedOut = state.bTimedOut;
    return run;
}

}  // namespace kptest
