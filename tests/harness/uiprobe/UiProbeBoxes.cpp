// Message boxes (finding, reading and answering them) and screenshots.
#include "tests/harness/uiprobe/UiProbe.h"

#include <vector>

#include "tests/harness/uiprobe/HookProtocol.h"

namespace uiprobe {

namespace {

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

}  // namespace

HWND Probe::FindMessageBox(long nMs) {
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

std::string Probe::MessageBoxInfo(long nMs) {
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
           kIconNames[nIcon <= static_cast<WPARAM>(kIconOther) ? nIcon
                                                               : static_cast<WPARAM>(kIconOther)] +
           "\t" + buttons;
}

void Probe::Answer(long nId, long nMs) {
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

void Probe::Shot(const std::string& file, bool bBox) {
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

}  // namespace uiprobe
