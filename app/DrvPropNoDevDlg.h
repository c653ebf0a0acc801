// The dialog shown when no unit is connected: it says so and offers the readme.
#pragma once

#include "framework/Dialog.h"

class CDrvPropNoDevDlg : public CDialog {
public:
    explicit CDrvPropNoDevDlg(CWnd* pParentWnd = nullptr);
    ~CDrvPropNoDevDlg() override;

    const MsgMap* GetMessageMap() const override;
    static const MsgMap* GetThisMessageMap();

protected:
    BOOL OnInitDialog() override;
    void OnBnClickedReadme();

private:
    // A shared resource icon: never released.
    HICON m_hDlgIcon;
};
