// Trackbars (msctls_trackbar32): one message per method.
#pragma once

#include "framework/Wnd.h"

#include <commctrl.h>

class CSliderCtrl : public CWnd {
public:
    // TBM_SETRANGE packs both ends into one LPARAM: each must fit in 16 bits.
    void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE) {
        SendMessage(TBM_SETRANGE, static_cast<WPARAM>(bRedraw), MAKELPARAM(nMin, nMax));
    }
    int GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }

    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
    // Always redrawn, so the thumb shows the new position at once.
    void SetPos(int nPos) { SendMessage(TBM_SETPOS, TRUE, static_cast<LPARAM>(nPos)); }

    void ClearTics(BOOL bRedraw = FALSE) {
        SendMessage(TBM_CLEARTICS, static_cast<WPARAM>(bRedraw));
    }
    BOOL SetTic(int nTic) {
        return static_cast<BOOL>(SendMessage(TBM_SETTIC, 0, static_cast<LPARAM>(nTic)));
    }
    // Client x coordinate of the nTic-th tick set with SetTic; -1 when there is none.
    int GetTicPos(int nTic) const {
        return static_cast<int>(SendMessage(TBM_GETTICPOS, static_cast<WPARAM>(nTic)));
    }
};
