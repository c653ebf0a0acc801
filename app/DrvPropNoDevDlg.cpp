#include "app/DrvPropNoDevDlg.h"

#include <iterator>

#include "dialog/TitleText.h"
#include "framework/AppStrings.h"
#include "framework/WinApp.h"
#include "install/InstallInfo.h"
#include "res/resource.h"

CDrvPropNoDevDlg::CDrvPropNoDevDlg(CWnd* pParentWnd)
    : CDialog(IDD_DRVPROP_NODEV, pParentWnd),
      m_hDlgIcon(::LoadIconW(GetResourceModule(), MAKEINTRESOURCEW(IDI_MAINFRAME))) {}

CDrvPropNoDevDlg::~CDrvPropNoDevDlg() = default;

const MsgMap* CDrvPropNoDevDlg::GetThisMessageMap() {
    static const MsgMapEntry kEntries[] = {
        MapBnClicked(IDC_README, &CDrvPropNoDevDlg::OnBnClickedReadme),
    };
    static const MsgMap kMap = {&CDialog::GetThisMessageMap, kEntries, std::size(kEntries)};
    return &kMap;
}

const MsgMap* CDrvPropNoDevDlg::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CDrvPropNoDevDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ModifyStyle(WS_SYSMENU, 0);
    SetIcon(m_hDlgIcon, TRUE);
    SetIcon(m_hDlgIcon, FALSE);
    SetWindowTextW(GetTitleText());
    SetDlgItemFromString(*this, IDC_NO_DEV_MESSAGE, IDS_DRV_NO_DEV);
    CWnd readme = GetDlgItem(IDC_README);
    if (readme.m_hWnd != nullptr) {
        SetDlgItemFromString(*this, IDC_README, IDS_README);
        readme.EnableWindow(IsReadmeAvailable());
    }
    SetDlgItemFromString(*this, IDOK, IDS_OK);
    return TRUE;
}

void CDrvPropNoDevDlg::OnBnClickedReadme() {
    OpenReadme();
}
