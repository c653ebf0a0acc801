#include "framework/WinApp.h"

#include <vector>

namespace {
// The one application object registers itself here while it exists.
CWinApp* g_pApp = nullptr;
}  // namespace

CWinApp::CWinApp() {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

CWinApp* CWinApp::GetApp() {
    return g_pApp;
}

const AppMsgMap* CWinApp::GetMessageMap() const {
    return GetThisMessageMap();
}

const AppMsgMap* CWinApp::GetThisMessageMap() {
    static const AppMsgMap kMap = {nullptr, nullptr, 0};
    return &kMap;
}

BOOL CWinApp::OnCmdMsg(UINT nID) {
    for (const AppMsgMap* pMap = GetMessageMap(); pMap != nullptr;
         pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
        for (std::size_t i = 0; i < pMap->nEntries; ++i) {
            if (pMap->pEntries[i].nID == nID) {
                (this->*pMap->pEntries[i].pfn)();
                return TRUE;
            }
        }
    }
    return FALSE;
}

void CWinApp::OnHelp() {
    const std::wstring path = GetHelpFilePath();
    if (path.empty()) {
        return;
    }
    const DWORD nAttributes = ::GetFileAttributesW(path.c_str());
    if (nAttributes == INVALID_FILE_ATTRIBUTES || (nAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    ::WinHelpW(::GetActiveWindow(), path.c_str(), HELP_FINDER, 0);
}

std::wstring CWinApp::GetHelpFilePath() const {
    // Long paths are allowed; a path the largest buffer cannot hold is not guessed at.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD nSize = static_cast<DWORD>(buffer.size());
        const DWORD nLength = ::GetModuleFileNameW(m_hInstance, buffer.data(), nSize);
        if (nLength == 0) {
            return std::wstring();
        }
        if (nLength < nSize) {
            std::wstring path(buffer.data(), nLength);
            const std::size_t nSlash = path.find_last_of(L"\\/");
            const std::size_t nDot = path.find_last_of(L'.');
            if (nDot != std::wstring::npos && (nSlash == std::wstring::npos || nDot > nSlash)) {
                path.erase(nDot);
            }
            return path + L".HLP";
        }
        if (nSize >= 32768) {
            return std::wstring();
        }
        buffer.resize(nSize * 2);
    }
}

int CWinApp::Main(HINSTANCE hInstance) {
    m_hInstance = hInstance;
    if (!InitInstance()) {
        return ExitInstance();
    }
    return Run();
}

int CWinApp::Run() {
    MSG msg;
    BOOL bGot;
    while ((bGot = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (bGot == -1) {
            break;
        }
        HWND hMain = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
        if (hMain == nullptr || !::IsDialogMessageW(hMain, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (bGot == 0) {
        m_nExitCode = static_cast<int>(msg.wParam);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return m_nExitCode;
}
