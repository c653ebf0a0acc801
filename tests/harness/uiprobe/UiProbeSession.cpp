// The probe's hold on the program and its dialog: starting and ending it, finding the dialog
// by title, hooking its thread, and the request-and-reply round trip through the hook.
#include "tests/harness/uiprobe/UiProbe.h"

#include "tests/harness/uiprobe/HookProtocol.h"

namespace uiprobe {

namespace {

struct FindTitle {
    std::wstring title;
    HWND hFound;
};

BOOL CALLBACK MatchTitle(HWND hWnd, LPARAM lParam) {
    FindTitle* pFind = reinterpret_cast<FindTitle*>(lParam);
    if (!IsWindowVisible(hWnd))
        return TRUE;
    if (WindowText(hWnd) != pFind->title)
        return TRUE;
    pFind->hFound = hWnd;
    return FALSE;
}

}  // namespace

Probe::Probe() {
    m_nMarker = RegisterWindowMessageW(UIPROBE_MSG_MARKER);
    m_nFocus = RegisterWindowMessageW(UIPROBE_MSG_FOCUS);
    m_nIcon = RegisterWindowMessageW(UIPROBE_MSG_ICON);
    m_nShot = RegisterWindowMessageW(UIPROBE_MSG_SHOT);
    m_nPaint = RegisterWindowMessageW(UIPROBE_MSG_PAINT);
    m_nReply = RegisterWindowMessageW(UIPROBE_MSG_REPLY);
    m_hReply =
        CreateWindowExW(0, L"STATIC", L"uiprobe", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
}

// A program it started does not outlive the probe, whatever becomes of the test.
Probe::~Probe() {
    if (m_hHook)
        UnhookWindowsHookEx(m_hHook);
    if (m_hProcess) {
        TerminateProcess(m_hProcess, 255);
        CloseHandle(m_hProcess);
    }
    if (m_hShotMap)
        CloseHandle(m_hShotMap);
}

HWND Probe::Dialog() const {
    if (!m_hDialog || !IsWindow(m_hDialog))
        throw Fail("no dialog (wait for one first)");
    return m_hDialog;
}

HWND Probe::Control(const std::string& id) const {
    if (!id.empty() && id[0] == '#') {  // the template's Nth control, for those without an id
        long n = ToLong(id.substr(1));
        HWND h = GetWindow(Dialog(), GW_CHILD);
        for (long i = 1; h && i < n; ++i)
            h = GetWindow(h, GW_HWNDNEXT);
        if (!h || n < 1)
            throw Fail("no control " + id);
        return h;
    }
    long nId = ToLong(id);
    if (nId == 0)
        return Dialog();
    HWND h = GetDlgItem(Dialog(), static_cast<int>(nId));
    if (!h)
        throw Fail("no control " + id);
    return h;
}

// What a user cannot reach, the probe refuses: Wine would click even a disabled button.
HWND Probe::Usable(HWND hControl) const {
    if (!IsWindowVisible(hControl))
        throw Fail("hidden");
    if (!IsWindowEnabled(hControl))
        throw Fail("disabled");
    HWND hTop = GetAncestor(hControl, GA_ROOT);
    if (!IsWindowEnabled(hTop))
        throw Fail("window disabled (a modal window is open)");
    return hControl;
}

DWORD Probe::Start(const std::string& cmdline) {
    if (m_hProcess)
        CloseHandle(m_hProcess);
    m_hProcess = NULL;
    std::wstring w = Wide(cmdline);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(NULL, &w[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        throw Fail("cannot start (error " + std::to_string(GetLastError()) + ")");
    }
    CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    return pi.dwProcessId;
}

HWND Probe::WaitTitle(long nMs, const std::wstring& title) {
    DWORD nStart = GetTickCount();
    for (;;) {
        FindTitle find = {title, NULL};
        EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&find));
        if (find.hFound) {
            Attach(find.hFound);
            return find.hFound;
        }
        if (GetTickCount() - nStart > static_cast<DWORD>(nMs))
            throw Fail("timeout");
        Pump(10);
    }
}

void Probe::Attach(HWND hDialog) {
    DWORD nThread = GetWindowThreadProcessId(hDialog, NULL);
    if (nThread != m_nThread) {
        if (m_hHook)
            UnhookWindowsHookEx(m_hHook);
        m_hHook = NULL;
        HMODULE hDll = LoadLibraryW(HookDllPath().c_str());
        HOOKPROC pProc = hDll ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                    GetProcAddress(hDll, "UiProbeGetMsgProc@12")))
                              : NULL;
        if (!pProc && hDll) {
            pProc = reinterpret_cast<HOOKPROC>(
                reinterpret_cast<void*>(GetProcAddress(hDll, "UiProbeGetMsgProc")));
        }
        if (!pProc)
            throw Fail("uiprobehook.dll not found beside uiprobe.exe");
        m_hHook = SetWindowsHookExW(WH_GETMESSAGE, pProc, hDll, nThread);
        if (!m_hHook)
            throw Fail("hook refused (error " + std::to_string(GetLastError()) + ")");
        m_nThread = nThread;
    }
    m_hDialog = hDialog;
}

std::wstring Probe::HookDllPath() {
    wchar_t sz[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, sz, MAX_PATH);
    while (n > 0 && sz[n - 1] != L'\\')
        --n;
    return std::wstring(sz, n) + L"uiprobehook.dll";
}

void Probe::WaitGone(HWND hWnd, long nMs) {
    DWORD nStart = GetTickCount();
    while (IsWindow(hWnd)) {
        if (GetTickCount() - nStart > static_cast<DWORD>(nMs))
            throw Fail("timeout");
        Pump(10);
    }
}

DWORD Probe::WaitExit(long nMs) {
    if (!m_hProcess)
        throw Fail("no program started");
    if (WaitForSingleObject(m_hProcess, static_cast<DWORD>(nMs)) != WAIT_OBJECT_0) {
        throw Fail("timeout");
    }
    DWORD nCode = 0;
    GetExitCodeProcess(m_hProcess, &nCode);
    return nCode;
}

void Probe::Pump(DWORD nMs) {
    MsgWaitForMultipleObjects(0, NULL, FALSE, nMs, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == m_nReply) {
            m_replies.push_back(msg);
        } else {
            DispatchMessageW(&msg);
        }
    }
}

// Posts a request to the dialog's thread and waits for the hook's reply to it.
WPARAM Probe::Ask(UINT nRequest, WPARAM wParam, long nMs) {
    HWND hTarget = Dialog();
    m_replies.clear();
    if (!PostMessageW(hTarget, nRequest, wParam, reinterpret_cast<LPARAM>(m_hReply))) {
        throw Fail("cannot post to the dialog");
    }
    DWORD nStart = GetTickCount();
    for (;;) {
        for (const MSG& msg : m_replies) {
            if (static_cast<UINT>(msg.lParam) != nRequest)
                continue;
            if (nRequest == m_nMarker && msg.wParam != wParam)
                continue;
            return msg.wParam;
        }
        if (GetTickCount() - nStart > static_cast<DWORD>(nMs))
            throw Fail("timeout (busy)");
        if (!IsWindow(hTarget))
            throw Fail("dialog gone");
        Pump(5);
    }
}

// A dialog that the input has closed has nothing left to handle.
void Probe::Idle(long nMs) {
    if (!m_hDialog || !IsWindow(m_hDialog))
        return;
    try {
        Ask(m_nMarker, ++m_nSequence, nMs);
    } catch (const Fail&) {
        if (IsWindow(m_hDialog))
            throw;
    }
}

}  // namespace uiprobe
