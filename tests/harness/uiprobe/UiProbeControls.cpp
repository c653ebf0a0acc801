// What the probe reads of the controls (state, combo box, slider) and the input it gives them
// as a user would: focus, clicks, slider drags, list picks, keys and the wheel.
#include "tests/harness/uiprobe/UiProbe.h"

#include <commctrl.h>

namespace uiprobe {

void Probe::Focus(HWND hControl) {
    if (!Ask(m_nFocus, reinterpret_cast<WPARAM>(hControl), kIdleTimeout)) {
        throw Fail("focus refused");
    }
}

void Probe::Post(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageW(hWnd, nMsg, wParam, lParam))
        throw Fail("cannot post");
}

std::string Probe::State(HWND h) {
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

std::string Probe::Combo(HWND h) {
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

std::string Probe::Slider(HWND h) {
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

void Probe::Click(HWND hButton) {
    Usable(hButton);
    // Posted, not sent: a click that opens a message box must not block the probe.
    Post(hButton, BM_CLICK, 0, 0);
    Idle(kIdleTimeout);
}

// As a drag of the thumb: the slider takes the focus, follows every step, then the
// thumb is released.
void Probe::Slide(HWND hSlider, long nPos) {
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
void Probe::Pick(HWND hCombo, long nData) {
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

HWND Probe::FocusWindow() {
    GUITHREADINFO gti = {};
    gti.cbSize = sizeof gti;
    if (GetGUIThreadInfo(m_nThread, &gti) && gti.hwndFocus)
        return gti.hwndFocus;
    if (gti.hwndActive)
        return gti.hwndActive;
    return Dialog();
}

void Probe::Key(const std::string& name, HWND hTo) {
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

void Probe::Wheel(HWND hControl, long nNotches) {
    Usable(hControl);
    RECT rc;
    GetWindowRect(hControl, &rc);
    LPARAM lPoint = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    Post(hControl, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<short>(nNotches * WHEEL_DELTA)),
         lPoint);
    Idle(kIdleTimeout);
}

}  // namespace uiprobe
