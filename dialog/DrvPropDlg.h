// The settings dialog: the driver's settings record edited in one window, with the units,
// their rates and clock followed live.
#pragma once

#include <cstdint>
#include <string>

#include "dialog/CmbDevList.h"
#include "dialog/CmbFreqList.h"
#include "driver/DrvDevTable.h"
#include "driver/DrvRecords.h"
#include "framework/Button.h"
#include "framework/Dialog.h"
#include "framework/SliderCtrl.h"

class CDrvPropDlg : public CDialog {
public:
    explicit CDrvPropDlg(CWnd* pParentWnd = nullptr);
    ~CDrvPropDlg() override;

    const MsgMap* GetMessageMap() const override;
    static const MsgMap* GetThisMessageMap();

    DrvDevTable m_aDevSlot;       // filled by start-up before the dialog runs
    DrvSettings m_Settings;       // what the controls edit
    DrvSettings m_SavedSettings;  // last read from or written to the driver
    CButton m_btnReadme;
    CButton m_btnApply;
    CSliderCtrl m_sldBuffer;
    int m_bMatchAsioRate = 0;  // check box IDC_BN_MATCH_ASIO_RATE
    int32_t m_nDevSel = 0;     // selected slot, -1 for none
    CCmbFreqList m_cmbFreq;
    CCmbDevList m_cmbDev;
    DrvClockStatus m_ClockStatus;  // last clock answer; goes back to the driver as it was left
    UINT_PTR m_nTimerId = 0;       // the refresh timer, 0 while none runs

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

public:
    // Layout and labels.
    bool SetLabelFromString(int nID, UINT nIdString);
    void ShowDriverVersion();
    void ShowCopyright();
    void OnBnClickedReadme();

    // Commands.
    void EndDialogAndStopTimer(int nResult);
    BOOL IsSettingsUnchanged();
    void ApplySettings();
    void OnBnClickedApply();
    void OnBnClickedMatchAsioRate();

    // Buffer level, ASIO figures and the slider's labels.
    void LoadLevelControls();
    void StoreLevelControls();
    void OnBnClickedDefault();
    void ShowAsioFigures(int32_t nRate);
    void UpdateAsioFigures();
    void OnHScroll(UINT nSBCode, UINT nPos, HWND hScrollBar);
    void LayoutLevelLabels();

    // Live refresh of the units, their rates and clock.
    void RefreshLiveStatus();
    BOOL EnableRateControls(BOOL bEnable);
    void ShowIfHidden(int nID);
    void ShowRunningRate(int32_t nRate);
    void OnTimer(UINT_PTR nIDEvent);
    HBRUSH OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor);
    void OnCbnDropdownFreq();
    void OnCbnCloseupFreq();
    void OnCbnSelchangeFreq();
    void OnCbnSelchangeDev();

private:
    void StartRefreshTimer();
    void StopRefreshTimer();
};

// Sets a control's text only when it differs, so live texts do not flicker.
void SetTextIfDiffers(CWnd control, const std::wstring& text);
// String nIdString formatted with the arguments; empty when the string is missing.
std::wstring FormatString(UINT nIdString, int32_t nFirst, int32_t nSecond = 0);
