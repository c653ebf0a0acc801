// uiprobe: drives a dialog program as a user would, for the end-to-end tests. It reads one
// command a line on stdin (UTF-8) and answers each with one line on stdout: "ok ..." or
// "err REASON". Texts in answers escape backslash, tab, CR and LF as \\ \t \r \n.
//
//   run CMDLINE            start a program                              -> ok PID
//   wait MS TITLE          wait for a visible top-level window titled exactly TITLE; it becomes
//                          the current dialog and its thread is hooked  -> ok HWND
//   gone MS                wait until the current dialog is destroyed   -> ok
//   exit MS                wait for the started program to end          -> ok EXITCODE
//   kill                   end the started program                      -> ok
//   idle [MS]              wait until the dialog's thread has taken every message posted so far
//   text ID                a control's text (ID 0: the dialog's title)  -> ok TEXT
//   state ID               -> ok enabled=E visible=V checked=C focused=F class=CLASS
//   combo ID               -> ok SEL COUNT DROPPED{\tDATA\tTEXT}
//   slider ID              -> ok MIN MAX POS tics=T,T,.. ticpos=P,P,..
//   rect ID                window rectangle, screen coordinates      -> ok LEFT TOP RIGHT BOTTOM
//   focus ID               give a control the focus
//   click ID               press a button (refused when a user could not: disabled, hidden)
//   slide ID POS           drag the slider's thumb to POS
//   pick ID DATA           choose the combo item whose item data is DATA
//   key NAME [ID]          enter, escape, tab or space to the focus (or to control ID)
//   drop ID 1|0            open or close a combo box's list (CB_SHOWDROPDOWN)
//   front                  whether the dialog is the foreground window  -> ok 1|0
//   wheel ID DELTA         mouse wheel on a control, DELTA in notches (+ away from the user)
//   msgbox MS              wait for a message box of the dialog's thread
//                          -> ok CAPTION\tTEXT\tICON\tID:TEXT,ID:TEXT
//   answer ID [MS]         press a message box button and wait for the box to go
//   shot FILE [box]        PNG of the dialog (or of the message box), drawn with WM_PRINT
//   paint                  repaint the dialog now, frame and children included, so that a
//                          real display (Xvfb) shows all of it for a capture of the screen
//   (any ID may be #N: the template's Nth control, for controls without an id)
//   quit                   (a program it started and that still runs is ended)
// Every command that posts input waits until the dialog's thread has taken it (idle).
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/uiprobe/HookProtocol.h"

namespace {

constexpr DWORD kIdleTimeout = 5000;

std::wstring Wide(const std::string& s) {
    if (s.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), NULL, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::string Utf8(const std::wstring& w) {
    if (w.empty())
        return std::string();
    int n =
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), NULL, 0, NULL, NULL);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, NULL, NULL);
    return s;
}

std::string Escape(const std::wstring& w) {
    std::string s;
    for (char c : Utf8(w)) {
        switch (c) {
            case '\\':
                s += "\\\\";
                break;
            case '\t':
                s += "\\t";
                break;
            case '\r':
                s += "\\r";
                break;
            case '\n':
                s += "\\n";
                break;
            default:
                s += c;
                break;
        }
    }
    return s;
}

std::wstring WindowText(HWND hWnd) {
    // WM_GETTEXT is marshalled between processes; GetWindowTextW would not ask another process.
    LRESULT n = SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(hWnd, WM_GETTEXT, w.size(), reinterpret_cast<LPARAM>(&w[0]));
    w.resize(static_cast<size_t>(n));
    return w;
}

std::wstring ClassOf(HWND hWnd) {
    wchar_t sz[128] = {};
    GetClassNameW(hWnd, sz, 128);
    return sz;
}

class Fail {
public:
    explicit Fail(std::string text) : m_text(std::move(text)) {}
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

long ToLong(const std::string& s) {
    char* pEnd = nullptr;
    long n = std::strtol(s.c_str(), &pEnd, 0);
    if (s.empty() || *pEnd != 0)
        throw Fail("'" + s + "' is not a number");
    return n;
}

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

struct FindBox {
    DWORD nThread;
    HWND hDialog;
    HWND hFound;
};

BOOL CALLBACK MatchBox(HWND hWnd, LPARAM lParam) {
    FindBox* pFind = reinterpret_cast<FindBox*>(lParam);
    if (hWnd == pFind->hDialog || !IsWindowVisible(hWnd))
        return TRUE;
    if (GetWindowThreadProcessId(hWnd, NULL) != pFind->nThread)
        return TRUE;
    if (ClassOf(hWnd) != L"#32770")
        return TRUE;
    pFind->hFound = hWnd;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND hChild, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hChild);
    return TRUE;
}

class Probe {
public:
    Probe() {
        m_nMarker = RegisterWindowMessageW(UIPROBE_MSG_MARKER);
        m_nFocus = RegisterWindowMessageW(UIPROBE_MSG_FOCUS);
        m_nIcon = RegisterWindowMessageW(UIPROBE_MSG_ICON);
        m_nShot = RegisterWindowMessageW(UIPROBE_MSG_SHOT);
        m_nPaint = RegisterWindowMessageW(UIPROBE_MSG_PAINT);
        m_nReply = RegisterWindowMessageW(UIPROBE_MSG_REPLY);
        m_hReply = CreateWindowExW(0, L"STATIC", L"uiprobe", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                   NULL, NULL);
    }

    // A program it started does not outlive the probe, whatever becomes of the test.
    ~Probe() {
        if (m_hHook)
            UnhookWindowsHookEx(m_hHook);
        if (m_hProcess) {
            TerminateProcess(m_hProcess, 255);
            CloseHandle(m_hProcess);
        }
        if (m_hShotMap)
            CloseHandle(m_hShotMap);
    }

    // Returns false for quit.
    bool Run(const std::string& line, std::string& answer) {
        std::string command = line, rest;
        size_t space = line.find(' ');
        if (space != std::string::npos) {
            command = line.substr(0, space);
            rest = line.substr(space + 1);
        }
        std::vector<std::string> args = Split(rest);
        answer = "ok";
        if (command == "quit")
            return false;
        if (command == "run") {
            answer += " " + std::to_string(Start(rest));
        } else if (command == "wait") {
            size_t sep = rest.find(' ');
            if (sep == std::string::npos)
                throw Fail("wait MS TITLE");
            answer += " " + Hex(reinterpret_cast<uintptr_t>(WaitTitle(ToLong(rest.substr(0, sep)),
                                                                      Wide(rest.substr(sep + 1)))));
        } else if (command == "gone") {
            Need(args, 1);
            WaitGone(Dialog(), ToLong(args[0]));
        } else if (command == "exit") {
            Need(args, 1);
            answer += " " + std::to_string(WaitExit(ToLong(args[0])));
        } else if (command == "kill") {
            if (m_hProcess)
                TerminateProcess(m_hProcess, 255);
        } else if (command == "idle") {
            Idle(args.empty() ? kIdleTimeout : ToLong(args[0]));
        } else if (command == "text") {
            Need(args, 1);
            answer += " " + Escape(WindowText(Control(args[0])));
        } else if (command == "state") {
            Need(args, 1);
            answer += " " + State(Control(args[0]));
        } else if (command == "combo") {
            Need(args, 1);
            answer += " " + Combo(Control(args[0]));
        } else if (command == "slider") {
            Need(args, 1);
            answer += " " + Slider(Control(args[0]));
        } else if (command == "rect") {
            Need(args, 1);
            RECT rc;
            GetWindowRect(Control(args[0]), &rc);
            answer += " " + std::to_string(rc.left) + " " + std::to_string(rc.top) + " " +
                      std::to_string(rc.right) + " " + std::to_string(rc.bottom);
        } else if (command == "focus") {
            Need(args, 1);
            Focus(Usable(Control(args[0])));
            Idle(kIdleTimeout);
        } else if (command == "click") {
            Need(args, 1);
            Click(Control(args[0]));
        } else if (command == "slide") {
            Need(args, 2);
            Slide(Control(args[0]), ToLong(args[1]));
        } else if (command == "pick") {
            Need(args, 2);
            Pick(Control(args[0]), ToLong(args[1]));
        } else if (command == "key") {
            if (args.empty())
                throw Fail("key NAME [ID]");
            Key(args[0], args.size() > 1 ? Control(args[1]) : NULL);
        } else if (command == "drop") {
            Need(args, 2);
            HWND hCombo = Usable(Control(args[0]));
            Focus(hCombo);
            Post(hCombo, CB_SHOWDROPDOWN, args[1] == "1" ? TRUE : FALSE, 0);
            Idle(kIdleTimeout);
        } else if (command == "front") {
            answer += GetForegroundWindow() == Dialog() ? " 1" : " 0";
        } else if (command == "wheel") {
            Need(args, 2);
            Wheel(Control(args[0]), ToLong(args[1]));
        } else if (command == "msgbox") {
            Need(args, 1);
            answer += " " + MessageBoxInfo(ToLong(args[0]));
        } else if (command == "answer") {
            if (args.empty())
                throw Fail("answer ID [MS]");
            Answer(ToLong(args[0]), args.size() > 1 ? ToLong(args[1]) : kIdleTimeout);
        } else if (command == "paint") {
            Ask(m_nPaint, reinterpret_cast<WPARAM>(Dialog()), kIdleTimeout);
        } else if (command == "shot") {
            if (args.empty())
                throw Fail("shot FILE [box]");
            Shot(args[0], args.size() > 1 && args[1] == "box");
        } else {
            throw Fail("unknown command '" + command + "'");
        }
        return true;
    }

private:
    static std::vector<std::string> Split(const std::string& s) {
        std::vector<std::string> words;
        size_t i = 0;
        while (i < s.size()) {
            size_t j = s.find(' ', i);
            if (j == std::string::npos)
                j = s.size();
            if (j > i)
                words.push_back(s.substr(i, j - i));
            i = j + 1;
        }
        return words;
    }

    static void Need(const std::vector<std::string>& args, size_t n) {
        if (args.size() != n)
            throw Fail("expected " + std::to_string(n) + " arguments");
    }

    static std::string Hex(uintptr_t n) {
        char sz[24];
        std::snprintf(sz, sizeof sz, "0x%lx", static_cast<unsigned long>(n));
        return sz;
    }

    HWND Dialog() const {
        if (!m_hDialog || !IsWindow(m_hDialog))
            throw Fail("no dialog (wait for one first)");
        return m_hDialog;
    }

    HWND Control(const std::string& id) const {
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
    HWND Usable(HWND hControl) const {
        if (!IsWindowVisible(hControl))
            throw Fail("hidden");
        if (!IsWindowEnabled(hControl))
            throw Fail("disabled");
        HWND hTop = GetAncestor(hControl, GA_ROOT);
        if (!IsWindowEnabled(hTop))
            throw Fail("window disabled (a modal window is open)");
        return hControl;
    }

    DWORD Start(const std::string& cmdline) {
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

    HWND WaitTitle(long nMs, const std::wstring& title) {
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

    void Attach(HWND hDialog) {
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

    static std::wstring HookDllPath() {
        wchar_t sz[MAX_PATH];
        DWORD n = GetModuleFileNameW(NULL, sz, MAX_PATH);
        while (n > 0 && sz[n - 1] != L'\\')
            --n;
        return std::wstring(sz, n) + L"uiprobehook.dll";
    }

    void WaitGone(HWND hWnd, long nMs) {
        DWORD nStart = GetTickCount();
        while (IsWindow(hWnd)) {
            if (GetTickCount() - nStart > static_cast<DWORD>(nMs))
                throw Fail("timeout");
            Pump(10);
        }
    }

    DWORD WaitExit(long nMs) {
        if (!m_hProcess)
            throw Fail("no program started");
        if (WaitForSingleObject(m_hProcess, static_cast<DWORD>(nMs)) != WAIT_OBJECT_0) {
            throw Fail("timeout");
        }
        DWORD nCode = 0;
        GetExitCodeProcess(m_hProcess, &nCode);
        return nCode;
    }

    void Pump(DWORD nMs) {
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
    WPARAM Ask(UINT nRequest, WPARAM wParam, long nMs) {
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
    void Idle(long nMs) {
        if (!m_hDialog || !IsWindow(m_hDialog))
            return;
        try {
            Ask(m_nMarker, ++m_nSequence, nMs);
        } catch (const Fail&) {
            if (IsWindow(m_hDialog))
                throw;
        }
    }

    void Focus(HWND hControl) {
        if (!Ask(m_nFocus, reinterpret_cast<WPARAM>(hControl), kIdleTimeout)) {
            throw Fail("focus refused");
        }
    }

    void Post(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
        if (!PostMessageW(hWnd, nMsg, wParam, lParam))
            throw Fail("cannot post");
    }

    std::string State(HWND h) {
        GUITHREADINFO gti = {};
        gti.cbSize = sizeof gti;
        GetGUIThreadInfo(m_nThread, &gti);
        std::wstring cls = ClassOf(h);
        int nChecked = 0;
        if (cls == L"Button")
            nChecked = static_cast<int>(SendMessageW(h, BM_GETCHECK, 0, 0));
        return "enabled=" + std::to_string(IsWindowEnabled(h) ? 1 : 0) +
               " visible=" + std::to_string(IsWindowVisible(h) ? 1 : 0) +
               " checked=" + std::to_string(nChecked) +
               " focused=" + std::to_string(gti.hwndFocus == h ? 1 : 0) + " class=" + Escape(cls);
    }

    std::string Combo(HWND h) {
        LRESULT nCount = SendMessageW(h, CB_GETCOUNT, 0, 0);
        std::string s = std::to_string(SendMessageW(h, CB_GETCURSEL, 0, 0)) + " " +
                        std::to_string(nCount) + " " +
                        std::to_string(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0) ? 1 : 0);
        for (LRESULT i = 0; i < nCount; ++i) {
            LRESULT nLength = SendMessageW(h, CB_GETLBTEXTLEN, i, 0);
            std::wstring text(nLength > 0 ? static_cast<size_t>(nLength) + 1 : 1, L'\0');
            LRESULT n = SendMessageW(h, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
            text.resize(n > 0 ? static_cast<size_t>(n) : 0);
            s += "\t" + std::to_string(static_cast<long>(SendMessageW(h, CB_GETITEMDATA, i, 0))) +
                 "\t" + Escape(text);
        }
        return s;
    }

    std::string Slider(HWND h) {
        std::string s = std::to_string(SendMessageW(h, TBM_GETRANGEMIN, 0, 0)) + " " +
                        std::to_string(SendMessageW(h, TBM_GETRANGEMAX, 0, 0)) + " " +
                        std::to_string(SendMessageW(h, TBM_GETPOS, 0, 0));
        // The first and last ticks are the range's ends and have no index of their own.
        LRESULT nTics = SendMessageW(h, TBM_GETNUMTICS, 0, 0);
        std::string tics, ticpos;
        for (LRESULT i = 0; i + 2 < nTics; ++i) {
            if (i) {
                tics += ",";
                ticpos += ",";
            }
            tics += std::to_string(SendMessageW(h, TBM_GETTIC, i, 0));
            ticpos += std::to_string(SendMessageW(h, TBM_GETTICPOS, i, 0));
        }
        return s + " tics=" + tics + " ticpos=" + ticpos;
    }

    void Click(HWND hButton) {
        Usable(hButton);
        // Posted, not sent: a click that opens a message box must not block the probe.
        Post(hButton, BM_CLICK, 0, 0);
        Idle(kIdleTimeout);
    }

    // As a drag of the thumb: the slider takes the focus, follows every step, then the
    // thumb is released.
    void Slide(HWND hSlider, long nPos) {
        Usable(hSlider);
        Focus(hSlider);
        HWND hParent = GetParent(hSlider);
        long nMin = static_cast<long>(SendMessageW(hSlider, TBM_GETRANGEMIN, 0, 0));
        long nMax = static_cast<long>(SendMessageW(hSlider, TBM_GETRANGEMAX, 0, 0));
        if (nPos < nMin)
            nPos = nMin;
        if (nPos > nMax)
            nPos = nMax;
        long nCur = static_cast<long>(SendMessageW(hSlider, TBM_GETPOS, 0, 0));
        LPARAM lSlider = reinterpret_cast<LPARAM>(hSlider);
        while (nCur != nPos) {
            nCur += nPos > nCur ? 1 : -1;
            Post(hSlider, TBM_SETPOS, TRUE, nCur);
            Post(hParent, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, nCur), lSlider);
        }
        Post(hParent, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, nPos), lSlider);
        Post(hParent, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), lSlider);
        Idle(kIdleTimeout);
    }

    // As a mouse pick: the list drops down (Wine sends CBN_DROPDOWN itself), the item is
    // selected with its CBN_SELCHANGE, and the list closes (Wine sends CBN_CLOSEUP itself).
    void Pick(HWND hCombo, long nData) {
        Usable(hCombo);
        LRESULT nCount = SendMessageW(hCombo, CB_GETCOUNT, 0, 0);
        LRESULT nIndex = -1;
        for (LRESULT i = 0; i < nCount && nIndex < 0; ++i) {
            if (static_cast<long>(SendMessageW(hCombo, CB_GETITEMDATA, i, 0)) == nData)
                nIndex = i;
        }
        if (nIndex < 0)
            throw Fail("no item with data " + std::to_string(nData));
        Focus(hCombo);
        int nId = GetDlgCtrlID(hCombo);
        Post(hCombo, CB_SHOWDROPDOWN, TRUE, 0);
        Post(hCombo, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
        Post(GetParent(hCombo), WM_COMMAND, MAKEWPARAM(nId, CBN_SELCHANGE),
             reinterpret_cast<LPARAM>(hCombo));
        Post(hCombo, CB_SHOWDROPDOWN, FALSE, 0);
        Idle(kIdleTimeout);
    }

    HWND FocusWindow() {
        GUITHREADINFO gti = {};
        gti.cbSize = sizeof gti;
        if (GetGUIThreadInfo(m_nThread, &gti) && gti.hwndFocus)
            return gti.hwndFocus;
        if (gti.hwndActive)
            return gti.hwndActive;
        return Dialog();
    }

    void Key(const std::string& name, HWND hTo) {
        UINT vk = name == "enter"    ? VK_RETURN
                  : name == "escape" ? VK_ESCAPE
                  : name == "tab"    ? VK_TAB
                  : name == "space"  ? VK_SPACE
                                     : 0;
        if (!vk)
            throw Fail("unknown key '" + name + "'");
        HWND h = hTo ? Usable(hTo) : FocusWindow();
        LPARAM nScan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
        Post(h, WM_KEYDOWN, vk, nScan | 1);
        if (vk == VK_SPACE)
            Post(h, WM_CHAR, L' ', nScan | 1);
        // The press may already have closed the window (Enter on OK): nothing left to release.
        if (!PostMessageW(h, WM_KEYUP, vk, nScan | 1 | 0xC0000000) && IsWindow(h))
            throw Fail("cannot post");
        Idle(kIdleTimeout);
    }

    void Wheel(HWND hControl, long nNotches) {
        Usable(hControl);
        RECT rc;
        GetWindowRect(hControl, &rc);
        LPARAM lPoint = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        Post(hControl, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<short>(nNotches * WHEEL_DELTA)),
             lPoint);
        Idle(kIdleTimeout);
    }

    HWND FindMessageBox(long nMs) {
        DWORD nStart = GetTickCount();
        for (;;) {
            FindBox find = {m_nThread, m_hDialog, NULL};
            EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&find));
            if (find.hFound)
                return find.hFound;
            if (GetTickCount() - nStart > static_cast<DWORD>(nMs))
                throw Fail("no message box");
            Pump(10);
        }
    }

    std::string MessageBoxInfo(long nMs) {
        HWND hBox = FindMessageBox(nMs);
        std::vector<HWND> children;
        EnumChildWindows(hBox, CollectChild, reinterpret_cast<LPARAM>(&children));
        std::wstring text;
        HWND hIcon = NULL;
        std::string buttons;
        for (HWND h : children) {
            std::wstring cls = ClassOf(h);
            LONG nStyle = GetWindowLongW(h, GWL_STYLE);
            if (cls == L"Static" && (nStyle & SS_TYPEMASK) == SS_ICON) {
                hIcon = h;
            } else if (cls == L"Static" && text.empty()) {
                text = WindowText(h);
            } else if (cls == L"Button" && IsWindowVisible(h)) {
                if (!buttons.empty())
                    buttons += ",";
                buttons += std::to_string(GetDlgCtrlID(h)) + ":" + Escape(WindowText(h));
            }
        }
        static const char* const kIconNames[] = {"none",        "exclamation", "question",
                                                 "information", "error",       "other"};
        WPARAM nIcon = kIconNone;
        if (hIcon && IsWindowVisible(hIcon)) {
            nIcon = Ask(m_nIcon, reinterpret_cast<WPARAM>(hIcon), kIdleTimeout);
        }
        m_hBox = hBox;
        return Escape(WindowText(hBox)) + "\t" + Escape(text) + "\t" +
               kIconNames[nIcon <= static_cast<WPARAM>(kIconOther)
                              ? nIcon
                              : static_cast<WPARAM>(kIconOther)] +
               "\t" + buttons;
    }

    void Answer(long nId, long nMs) {
        if (!m_hBox || !IsWindow(m_hBox))
            m_hBox = FindMessageBox(nMs);
        HWND hButton = GetDlgItem(m_hBox, static_cast<int>(nId));
        if (!hButton)
            throw Fail("the message box has no button " + std::to_string(nId));
        Usable(hButton);
        Post(hButton, BM_CLICK, 0, 0);
        WaitGone(m_hBox, nMs);
        m_hBox = NULL;
        Idle(kIdleTimeout);
    }

    void Shot(const std::string& file, bool bBox) {
        HWND hWnd = bBox ? FindMessageBox(kIdleTimeout) : Dialog();
        std::wstring path = Wide(file);
        if (!path.empty() && path[0] == L'/')
            path = L"Z:" + path;
        if (path.size() >= kShotPathChars)
            throw Fail("path too long");
        if (!m_hShotMap) {
            m_hShotMap = CreateFileMappingW(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0,
                                            kShotPathChars * sizeof(wchar_t), UIPROBE_SHOT_MAPPING);
        }
        wchar_t* p = m_hShotMap
                         ? static_cast<wchar_t*>(MapViewOfFile(m_hShotMap, FILE_MAP_WRITE, 0, 0, 0))
                         : nullptr;
        if (!p)
            throw Fail("no shared memory for the file name");
        lstrcpynW(p, path.c_str(), static_cast<int>(kShotPathChars));
        UnmapViewOfFile(p);
        if (!Ask(m_nShot, reinterpret_cast<WPARAM>(hWnd), kIdleTimeout)) {
            throw Fail("the screenshot was not written");
        }
    }

    UINT m_nMarker = 0, m_nFocus = 0, m_nIcon = 0, m_nShot = 0, m_nPaint = 0, m_nReply = 0;
    HWND m_hReply = NULL;
    HWND m_hDialog = NULL;
    HWND m_hBox = NULL;
    DWORD m_nThread = 0;
    HHOOK m_hHook = NULL;
    HANDLE m_hProcess = NULL;
    HANDLE m_hShotMap = NULL;
    WPARAM m_nSequence = 0;
    std::vector<MSG> m_replies;
};

}  // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    Probe probe;
    char szLine[4096];
    while (std::fgets(szLine, sizeof szLine, stdin)) {
        std::string line = szLine;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (line.empty())
            continue;
        std::string answer;
        bool bGoOn = true;
        try {
            bGoOn = probe.Run(line, answer);
        } catch (const Fail& fail) {
            answer = "err " + fail.Text();
        }
        std::fputs(answer.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        if (!bGoOn)
            break;
    }
    return 0;
}
