#include "app/DrvPropApp.h"

#include <commctrl.h>

#include <iterator>
#include <memory>

#include "app/DrvPropNoDevDlg.h"
#include "app/SingleInstance.h"
#include "dialog/DrvPropDlg.h"
#include "dialog/TitleText.h"

namespace {
// ICC_WIN95_CLASSES brings the trackbar the settings dialog needs; the structure is two DWORDs.
constexpr INITCOMMONCONTROLSEX kCommonControls = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8, "two 32-bit words");
}  // namespace

CDrvPropApp::CDrvPropApp() = default;
CDrvPropApp::~CDrvPropApp() = default;

const AppMsgMap* CDrvPropApp::GetMessageMap() const {
    return GetThisMessageMap();
}

const AppMsgMap* CDrvPropApp::GetThisMessageMap() {
    static const AppCmdEntry kEntries[] = {
        {ID_HELP, &CWinApp::OnHelp},
    };
    static const AppMsgMap kMap = {&CWinApp::GetThisMessageMap, kEntries, std::size(kEntries)};
    return &kMap;
}

BOOL CDrvPropApp::InitInstance() {
    ::InitCommonControlsEx(&kCommonControls);

    const std::wstring mutexName = MakeMutexName();
    if (HANDLE hRunning = ::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, mutexName.c_str())) {
        ::CloseHandle(hRunning);
        const std::wstring title = GetTitleText();
        if (!title.empty()) {
            ::EnumWindows(ActivateRunningInstance, reinterpret_cast<LPARAM>(title.c_str()));
        }
        return FALSE;
    }

    // Held, unexamined, until the program ends; the system then removes it.
    ::CreateMutexW(nullptr, FALSE, mutexName.c_str());

    auto pDlg = std::make_unique<CDrvPropDlg>();
    pDlg->m_aDevSlot.Build();
    if (pDlg->m_aDevSlot.AnyPresent()) {
        pDlg->DoModal();
    } else {
        CDrvPropNoDevDlg noDevice;
        noDevice.DoModal();
    }
    return FALSE;
}
