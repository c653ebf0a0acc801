// The dialog's frame: members, data exchange, message map, opening, labels and the
// installation lines.
#include "dialog/DrvPropDlg.h"

#include <iterator>

#include "dialog/TitleText.h"
#include "framework/AppStrings.h"
#include "install/InstallInfo.h"
#include "res/resource.h"
#include "text/TextFormat.h"
#include "text/WideText.h"

namespace {

struct Label {
    int nID;
    UINT nIdString;
};

// Set when the dialog opens, in this order; IDC_BN_ASIO_LIGHT is put away between the two groups.
const Label kLabelsBeforeAsioLight[] = {
    {IDC_GRP_BUF_SIZE, IDS_GRP_BUF_SIZE},
    {IDC_ABB_MIN, IDS_ABB_MIN},
    {IDC_ABB_MAX, IDS_ABB_MAX},
    {IDC_GRP_PERFORMANCE, IDS_GRP_PERFORMANCE},
    {IDC_REAL_TIME_LABEL, IDS_REAL_TIME},
    {IDC_STABILITY_LABEL, IDS_STABILITY},
    {IDC_GRP_WIN_SOUND, IDS_GRP_WIN_SOUND},
    {IDC_BN_MATCH_ASIO_RATE, IDS_BN_MATCH_ASIO_RATE},
    {IDC_GRP_ASIO, IDS_GRP_ASIO},
    {IDC_ASIO_BUF_LABEL, IDS_ASIO_BUF_SIZE},
};
const Label kLabelsAfterAsioLight[] = {
    {IDC_ASIO_CREDIT, IDS_ASIO_CREDIT},
    {IDC_README, IDS_README},
    {IDOK, IDS_CLOSE},
    {IDCANCEL, IDS_REVERT},
    {IDC_APPLY, IDS_APPLY},
    {IDC_DEFAULT, IDS_DEFAULT},
};

constexpr UINT_PTR kRefreshTimerId = 1;
constexpr UINT kRefreshPeriodMs = 330;

}  // namespace

CDrvPropDlg::CDrvPropDlg(CWnd* pParentWnd) : CDialog(IDD_DRVPROP, pParentWnd), m_ClockStatus() {
    m_ClockStatus.nIndex = 0;
}

CDrvPropDlg::~CDrvPropDlg() = default;

void CDrvPropDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_APPLY, m_btnApply);
    DDX_Control(pDX, IDC_SLD_BUFFER, m_sldBuffer);
    DDX_Check(pDX, IDC_BN_MATCH_ASIO_RATE, m_bMatchAsioRate);
    DDX_Control(pDX, IDC_CMB_DEV, m_cmbDev);
    DDX_Control(pDX, IDC_CMB_FREQ, m_cmbFreq);
    DDX_Control(pDX, IDC_README, m_btnReadme);
}

const MsgMap* CDrvPropDlg::GetThisMessageMap() {
    static const MsgMapEntry kEntries[] = {
        MapBnClicked(IDC_APPLY, &CDrvPropDlg::OnBnClickedApply),
        MapHScroll(&CDrvPropDlg::OnHScroll),
        MapTimer(&CDrvPropDlg::OnTimer),
        MapBnClicked(IDC_BN_MATCH_ASIO_RATE, &CDrvPropDlg::OnBnClickedMatchAsioRate),
        MapBnClicked(IDC_README, &CDrvPropDlg::OnBnClickedReadme),
        MapCbnDropdown(IDC_CMB_FREQ, &CDrvPropDlg::OnCbnDropdownFreq),
        MapCbnCloseup(IDC_CMB_FREQ, &CDrvPropDlg::OnCbnCloseupFreq),
        MapCbnSelchange(IDC_CMB_FREQ, &CDrvPropDlg::OnCbnSelchangeFreq),
        MapCbnSelchange(IDC_CMB_DEV, &CDrvPropDlg::OnCbnSelchangeDev),
        MapBnClicked(IDC_DEFAULT, &CDrvPropDlg::OnBnClickedDefault),
        MapCtlColor(&CDrvPropDlg::OnCtlColor),
    };
    static const MsgMap kMap = {&CDialog::GetThisMessageMap, kEntries, std::size(kEntries)};
    return &kMap;
}

const MsgMap* CDrvPropDlg::GetMessageMap() const {
    return GetThisMessageMap();
}

// The wheel would move the slider or change a list under the pointer without the user meaning
// to; no control of this dialog ever sees it.
BOOL CDrvPropDlg::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_MOUSEWHEEL)
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

BOOL CDrvPropDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!m_aDevSlot.ReadSettings(m_Settings)) {
        AppMessageBox(IDS_NO_DRIVER);
        EndDialogAndStopTimer(IDCANCEL);
        return TRUE;
    }
    m_SavedSettings = m_Settings;
    m_cmbFreq.m_pDevSlots = &m_aDevSlot;
    for (int32_t& nState : m_cmbFreq.m_anRateState)
        nState = 0;
    m_cmbDev.Init(&m_aDevSlot, ToWide(MODEL_STRING).c_str());
    m_nDevSel = -1;
    SetWindowTextW(GetTitleText());
    ShowDriverVersion();
    ShowCopyright();
    for (const Label& label : kLabelsBeforeAsioLight)
        SetLabelFromString(label.nID, label.nIdString);
    CWnd asioLight = GetDlgItem(IDC_BN_ASIO_LIGHT);
    asioLight.EnableWindow(FALSE);
    asioLight.ShowWindow(SW_HIDE);
    for (const Label& label : kLabelsAfterAsioLight)
        SetLabelFromString(label.nID, label.nIdString);
    LoadLevelControls();
    m_btnApply.EnableWindow(FALSE);
    m_btnReadme.EnableWindow(IsReadmeAvailable());
    RefreshLiveStatus();
    UpdateAsioFigures();
    LayoutLevelLabels();
    StartRefreshTimer();
    return TRUE;
}

void CDrvPropDlg::StartRefreshTimer() {
    m_nTimerId = SetTimer(kRefreshTimerId, kRefreshPeriodMs);
}

void CDrvPropDlg::StopRefreshTimer() {
    if (m_nTimerId != 0) {
        KillTimer(m_nTimerId);
        m_nTimerId = 0;
    }
}

bool CDrvPropDlg::SetLabelFromString(int nID, UINT nIdString) {
    return SetDlgItemFromString(*this, nID, nIdString);
}

void CDrvPropDlg::ShowDriverVersion() {
    GetDlgItem(IDC_DRV_VERSION).SetWindowTextW(MakeDriverVersionLine());
}

void CDrvPropDlg::ShowCopyright() {
    std::wstring line;
    if (MakeCopyrightLine(line))
        GetDlgItem(IDC_COPYRIGHT).SetWindowTextW(line);
}

void CDrvPropDlg::OnBnClickedReadme() {
    OpenReadme();
}

void SetTextIfDiffers(CWnd control, const std::wstring& text) {
    if (control.m_hWnd != nullptr && control.GetWindowTextW() != text) {
        control.SetWindowTextW(text);
    }
}

std::wstring FormatString(UINT nIdString, int32_t nFirst, int32_t nSecond) {
    std::wstring format;
    if (!LoadStringText(nIdString, format))
        return std::wstring();
    return ToWide(FormatText(ToU16(format), {nFirst, nSecond}));
}
