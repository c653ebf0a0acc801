// Apply, CLOSE, Revert and the messages that tell the user what a change still needs.
#include <windows.h>

#include "dialog/DrvPropDlg.h"
#include "framework/AppStrings.h"
#include "res/resource.h"

// Every failure path ends through here, so no tick arrives after the dialog has ended.
void CDrvPropDlg::EndDialogAndStopTimer(int nResult) {
    StopRefreshTimer();
    EndDialog(nResult);
}

// The level flag and two option words count here too, although the record's own comparison
// leaves them out.
BOOL CDrvPropDlg::IsSettingsUnchanged() {
    StoreLevelControls();
    return m_Settings.IsEqual(m_SavedSettings) &&
                   m_Settings.bLevelFlag == m_SavedSettings.bLevelFlag &&
                   m_Settings.nOption4 == m_SavedSettings.nOption4 &&
                   m_Settings.nOption5 == m_SavedSettings.nOption5
               ? TRUE
               : FALSE;
}

void CDrvPropDlg::ApplySettings() {
    StoreLevelControls();
    int32_t nResult = DRV_RESULT_NONE;
    if (!m_aDevSlot.WriteSettings(m_Settings, nResult)) {
        AppMessageBox(IDS_NO_DRIVER);
        EndDialogAndStopTimer(IDCANCEL);
        return;
    }
    if (nResult == DRV_RESULT_WAVE) {
        // Give the applications a moment to let go of the unit before asking.
        ::Sleep(100);
        if (!m_aDevSlot.IsIdle())
            AppMessageBox(IDS_CONF_WAVE);
    } else if (nResult == DRV_RESULT_MIDI) {
        AppMessageBox(IDS_CONF_MIDI);
    }
}

void CDrvPropDlg::OnBnClickedApply() {
    if (!m_aDevSlot.AnyPresent()) {
        AppMessageBox(IDS_NO_DRIVER);
        EndDialogAndStopTimer(IDCANCEL);
        return;
    }
    m_btnApply.EnableWindow(FALSE);
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDOK).m_hWnd), TRUE);
    ApplySettings();
    m_SavedSettings = m_Settings;
}

void CDrvPropDlg::OnOK() {
    StopRefreshTimer();
    if (IsSettingsUnchanged()) {
        if (!m_aDevSlot.IsIdle())
            AppMessageBox(IDS_CONF_WAVE);
    } else if (AppMessageBox(IDS_ASK_APPLY, MB_YESNO) == IDYES) {
        ApplySettings();
    }
    CDialog::OnOK();
}

// Revert: the working record takes the saved one back; the dialog stays open.
void CDrvPropDlg::OnCancel() {
    m_Settings = m_SavedSettings;
    LoadLevelControls();
    m_btnApply.EnableWindow(FALSE);
}

void CDrvPropDlg::OnBnClickedMatchAsioRate() {
    m_btnApply.EnableWindow(TRUE);
}
