// The live refresh: which units are present, the selected unit's rates, running rate and
// clock, every 330 ms and whenever the user picks another unit.
#include "dialog/DrvPropDlg.h"
#include "driver/DrvControlCodes.h"
#include "framework/AppStrings.h"
#include "res/resource.h"
#include "text/TextFormat.h"
#include "text/WideText.h"

namespace {
bool IsSlot(int32_t nSlot) {
    return nSlot >= 0 && nSlot < DRV_SLOT_COUNT;
}
bool SameState(BOOL a, BOOL b) {
    return (a != FALSE) == (b != FALSE);
}
}  // namespace

void CDrvPropDlg::RefreshLiveStatus() {
    if (m_cmbDev.Fill())
        m_nDevSel = m_cmbDev.SelectSlot(m_nDevSel);
    if (!EnableRateControls(m_nDevSel != -1))
        return;
    if (!IsSlot(m_nDevSel))
        return;
    if (!m_aDevSlot[m_nDevSel].Control(IOCTL_DRV_GET_CLOCK, &m_ClockStatus, sizeof m_ClockStatus)) {
        return;
    }
    m_cmbFreq.Fill(m_nDevSel);
    m_cmbFreq.SelectByData(m_ClockStatus.nCurrentRate);
    ShowRunningRate(m_ClockStatus.nCurrentRate);

    CWnd notice = GetDlgItem(IDC_RATE_NOTICE);
    if (notice.m_hWnd != nullptr) {
        if (m_ClockStatus.nCurrentRate == m_ClockStatus.nUnitRate) {
            notice.SetWindowTextW(L"");
        } else {
            SetTextIfDiffers(notice, FormatString(IDS_RATE_CHANGED, m_ClockStatus.nUnitRate));
        }
        ShowIfHidden(IDC_RATE_NOTICE);
    }

    CWnd clock = GetDlgItem(IDC_CLOCK_STATE);
    if (clock.m_hWnd != nullptr && clock.IsWindowVisible() && clock.IsWindowEnabled()) {
        std::wstring text;
        if (!m_ClockStatus.bExternal) {
            LoadStringText(IDS_CLOCK_INTERNAL, text);
        } else if (m_ClockStatus.bLocked) {
            text = FormatString(IDS_CLOCK_EXTERNAL, m_ClockStatus.nUnitRate);
        } else {
            LoadStringText(IDS_CLOCK_UNLOCK, text);
        }
        clock.SetWindowTextW(text);
    }
}

BOOL CDrvPropDlg::EnableRateControls(BOOL bEnable) {
    if (!SameState(m_cmbDev.IsWindowEnabled(), bEnable))
        m_cmbDev.EnableWindow(bEnable);
    if (!SameState(m_cmbFreq.IsWindowEnabled(), bEnable))
        m_cmbFreq.EnableWindow(bEnable);

    CWnd clock = GetDlgItem(IDC_CLOCK_STATE);
    if (clock.m_hWnd != nullptr && clock.IsWindowVisible() &&
        !SameState(clock.IsWindowEnabled(), bEnable)) {
        clock.EnableWindow(bEnable);
        if (!bEnable)
            clock.SetWindowTextW(L"---");
    }
    CWnd rate = GetDlgItem(IDC_RUNNING_RATE);
    if (rate.m_hWnd != nullptr) {
        if (!SameState(rate.IsWindowEnabled(), bEnable))
            rate.EnableWindow(bEnable);
        if (!bEnable)
            rate.SetWindowTextW(L"---");
    }
    CWnd notice = GetDlgItem(IDC_RATE_NOTICE);
    if (notice.m_hWnd != nullptr && !bEnable)
        notice.SetWindowTextW(L"");
    return bEnable;
}

void CDrvPropDlg::ShowIfHidden(int nID) {
    CWnd control = GetDlgItem(nID);
    if (control.m_hWnd != nullptr && !control.IsWindowVisible())
        control.ShowWindow(SW_SHOW);
}

void CDrvPropDlg::ShowRunningRate(int32_t nRate) {
    CWnd rate = GetDlgItem(IDC_RUNNING_RATE);
    if (rate.m_hWnd != nullptr)
        rate.SetWindowTextW(ToWide(FormatText(u"%6dHz", {nRate})));
}

void CDrvPropDlg::OnTimer(UINT_PTR nIDEvent) {
    RefreshLiveStatus();
    UpdateAsioFigures();
    CDialog::OnTimer(nIDEvent);
}

// The running rate turns red while the unit's own rate differs from it.
HBRUSH CDrvPropDlg::OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor) {
    HBRUSH hBrush = CDialog::OnCtlColor(hDC, hCtl, nCtlColor);
    if (nCtlColor == CTLCOLOR_STATIC && ::GetDlgCtrlID(hCtl) == IDC_RUNNING_RATE) {
        bool bMatches = m_ClockStatus.nCurrentRate == m_ClockStatus.nUnitRate;
        ::SetTextColor(hDC, bMatches ? RGB(0, 0, 0) : RGB(255, 0, 0));
    }
    return hBrush;
}

// No refresh while the user has the rate list open, so it is not rebuilt under the hand.
void CDrvPropDlg::OnCbnDropdownFreq() {
    StopRefreshTimer();
}

void CDrvPropDlg::OnCbnCloseupFreq() {
    StartRefreshTimer();
}

// The outcome shows at the next tick, through the clock query.
void CDrvPropDlg::OnCbnSelchangeFreq() {
    int nSel = m_cmbFreq.GetCurSel();
    if (nSel < 0)
        return;
    int32_t nRate = static_cast<int32_t>(m_cmbFreq.GetItemData(nSel));
    if (!IsSlot(m_nDevSel))
        return;
    DrvRateValue change = {0, nRate};
    m_aDevSlot[m_nDevSel].Control(IOCTL_DRV_SET_RATE, &change, sizeof change);
}

void CDrvPropDlg::OnCbnSelchangeDev() {
    m_nDevSel = static_cast<int32_t>(m_cmbDev.GetItemData(m_cmbDev.GetCurSel()));
    RefreshLiveStatus();
}
