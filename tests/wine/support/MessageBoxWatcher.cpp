#include "tests/wine/support/MessageBoxWatcher.h"

#include <algorithm>

namespace kptest {

namespace {

constexpr int kMessageTextId = 0xFFFF;

bool IsDialogOfThisProcess(HWND hWnd) {
    DWORD nPid = 0;
    ::GetWindowThreadProcessId(hWnd, &nPid);
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    return nPid == ::GetCurrentProcessId() && lstrcmpW(szClass, L"#32770") == 0;
}

BOOL CALLBACK CollectDialogs(HWND hWnd, LPARAM lParam) {
    if (IsDialogOfThisProcess(hWnd)) {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    }
    return TRUE;
}

std::vector<HWND> DialogsOfThisProcess() {
    std::vector<HWND> found;
    ::EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring TextOf(HWND hWnd) {
    wchar_t szText[1024] = {};
    ::GetWindowTextW(hWnd, szText, 1024);
    return szText;
}

BOOL CALLBACK ReadChild(HWND hChild, LPARAM lParam) {
    auto* pSeen = reinterpret_cast<SeenMessageBox*>(lParam);
    wchar_t szClass[16] = {};
    ::GetClassNameW(hChild, szClass, 16);
    const LONG nStyle = ::GetWindowLongW(hChild, GWL_STYLE);
    if (lstrcmpiW(szClass, L"Static") == 0 && (nStyle & SS_TYPEMASK) == SS_ICON) {
        pSeen->hIcon = reinterpret_cast<HICON>(::SendMessageW(hChild, STM_GETICON, 0, 0));
    } else if (lstrcmpiW(szClass, L"Button") == 0 && ::IsWindowVisible(hChild)) {
        pSeen->buttons.push_back(::GetDlgCtrlID(hChild));
    }
    return TRUE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(int nAnswerId, DWORD nTimeoutMs)
    : m_nAnswerId(nAnswerId), m_nTimeoutMs(nTimeoutMs), m_before(DialogsOfThisProcess()) {
    m_thread = std::thread([this] { Watch(); });
}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

SeenMessageBox MessageBoxWatcher::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_seen;
}

void MessageBoxWatcher::Watch() {
    const DWORD nStart = ::GetTickCount();
    HWND hBox = nullptr;
    while (hBox == nullptr && ::GetTickCount() - nStart < m_nTimeoutMs) {
        for (HWND hWnd : DialogsOfThisProcess()) {
            if (std::find(m_before.begin(), m_before.end(), hWnd) == m_before.end() &&
                ::GetDlgItem(hWnd, kMessageTextId) != nullptr && ::IsWindowVisible(hWnd)) {
                hBox = hWnd;
                break;
            }
        }
        if (hBox == nullptr) {
            ::Sleep(5);
        }
    }
    if (hBox == nullptr) {
        return;
    }
    m_seen = ReadMessageBox(hBox);
    m_seen.bAnswered = PressMessageBoxButton(hBox, m_nAnswerId);
}

SeenMessageBox ReadMessageBox(HWND hBox) {
    SeenMessageBox seen;
    seen.bFound = true;
    seen.hOwner = ::GetWindow(hBox, GW_OWNER);
    seen.caption = TextOf(hBox);
    seen.text = TextOf(::GetDlgItem(hBox, kMessageTextId));
    ::EnumChildWindows(hBox, ReadChild, reinterpret_cast<LPARAM>(&seen));
    return seen;
}

bool PressMessageBoxButton(HWND hBox, int nId) {
    HWND hButton = ::GetDlgItem(hBox, nId);
    if (hButton == nullptr || !::IsWindowVisible(hButton) || !::IsWindowEnabled(hButton)) {
        return false;
    }
    DWORD_PTR nIgnored = 0;
    return ::SendMessageTimeoutW(hButton, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &nIgnored) != 0;
}

}  // namespace kptest
