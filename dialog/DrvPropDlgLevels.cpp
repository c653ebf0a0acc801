// The buffer level: slider and check box against the record, the ASIO buffer figures and the
// performance bars, and the numbers under the slider's ticks.
#include "dialog/DrvPropDlg.h"
#include "framework/AppStrings.h"
#include "model/LevelModel.h"
#include "res/resource.h"

namespace {

const int LEVEL_LABEL_IDS[] = {IDC_LEVEL_1, IDC_LEVEL_2,  IDC_LEVEL_3,  IDC_LEVEL_4,
                               IDC_LEVEL_5, IDC_LEVEL_6,  IDC_LEVEL_7,  IDC_LEVEL_8,
                               IDC_LEVEL_9, IDC_LEVEL_10, IDC_LEVEL_11, 0};

std::wstring Bar(int nCount) {
    return nCount > 0 ? std::wstring(nCount, L'O') : std::wstring();
}

}  // namespace

void CDrvPropDlg::LoadLevelControls() {
    ClampOffsets(m_Settings);
    m_sldBuffer.SetRange(LEVEL_MIN, LEVEL_MAX, TRUE);
    m_sldBuffer.SetPos(m_Settings.nBufferLevel);
    m_bMatchAsioRate = m_Settings.bNoRateMatch == 0 ? 1 : 0;
    UpdateData(FALSE);
}

void CDrvPropDlg::StoreLevelControls() {
    UpdateData(TRUE);
    m_Settings.nBufferLevel = ClampLevel(m_sldBuffer.GetPos());
    ClampOffsets(m_Settings);
    m_Settings.bNoRateMatch = m_bMatchAsioRate == 0 ? 1 : 0;
    m_Settings.bLevelFlag = LevelTable[m_Settings.nBufferLevel].bLevelFlag;
}

// The figures follow at the next tick; nothing reaches the driver before Apply or CLOSE.
void CDrvPropDlg::OnBnClickedDefault() {
    ClampOffsets(m_Settings);
    m_sldBuffer.SetRange(LEVEL_MIN, LEVEL_MAX, TRUE);
    m_sldBuffer.SetPos(LEVEL_DEFAULT);
    m_bMatchAsioRate = 1;
    UpdateData(FALSE);
    StoreLevelControls();
    m_btnApply.EnableWindow(TRUE);
}

void CDrvPropDlg::ShowAsioFigures(int32_t nRate) {
    AsioBufferSize sizes = GetAsioBufferSize(m_Settings, nRate);
    SetTextIfDiffers(GetDlgItem(IDC_ASIO_BUF_SIZE),
                     FormatString(IDS_ASIO_SAMPLES, sizes.minSize, nRate));
    int nMax = m_sldBuffer.GetRangeMax();
    int nPos = m_sldBuffer.GetPos();
    SetTextIfDiffers(GetDlgItem(IDC_BAR_REAL_TIME), Bar(nMax - nPos + 1));
    SetTextIfDiffers(GetDlgItem(IDC_BAR_STABILITY), Bar(nPos + 1));
}

// The running stream's rate, else the rate the units share, else no figure at all.
void CDrvPropDlg::UpdateAsioFigures() {
    DrvStreamState stream = {};
    if (m_aDevSlot.GetStreamState(stream)) {
        ShowAsioFigures(stream.nRate);
        return;
    }
    int32_t nCount = 0;
    int32_t nRate = 0;
    if (m_aDevSlot.GetReferenceRate(nCount, nRate)) {
        ShowAsioFigures(nRate);
        return;
    }
    std::wstring none;
    LoadStringText(IDS_ASIO_SAMPLES_NONE, none);
    SetTextIfDiffers(GetDlgItem(IDC_ASIO_BUF_SIZE), none);
}

// Every notification code, so the figures follow the thumb while it is dragged; the offsets
// and the level flag are brought in line when the controls are stored.
void CDrvPropDlg::OnHScroll(UINT, UINT, HWND) {
    m_Settings.nBufferLevel = ClampLevel(m_sldBuffer.GetPos());
    UpdateAsioFigures();
    m_btnApply.EnableWindow(TRUE);
}

void CDrvPropDlg::LayoutLevelLabels() {
    m_sldBuffer.ClearTics(FALSE);
    for (int nPos = 0; nPos <= m_sldBuffer.GetRangeMax(); ++nPos)
        m_sldBuffer.SetTic(nPos);

    auto centreUnderTick = [this](CWnd label, int nTick) {
        POINT tick = {m_sldBuffer.GetTicPos(nTick), 0};
        m_sldBuffer.ClientToScreen(&tick);
        RECT rect;
        label.GetWindowRect(&rect);
        POINT topLeft = {tick.x - (rect.right - rect.left) / 2, rect.top};
        ScreenToClient(&topLeft);
        label.SetWindowPos(nullptr, topLeft.x, topLeft.y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (int i = 0; LEVEL_LABEL_IDS[i] != 0; ++i) {
        CWnd label = GetDlgItem(LEVEL_LABEL_IDS[i]);
        if (label.m_hWnd == nullptr)
            continue;
        if (i > m_sldBuffer.GetRangeMax()) {
            label.ShowWindow(SW_HIDE);
        } else {
            centreUnderTick(label, i);
        }
    }
    CWnd marker = GetDlgItem(IDC_LEVEL_MARK);
    if (marker.m_hWnd != nullptr)
        centreUnderTick(marker, LEVEL_DEFAULT);
}
