#include "dialog/CmbFreqList.h"

#include "dialog/ComboItemData.h"
#include "driver/DrvControlCodes.h"
#include "text/TextFormat.h"
#include "text/WideText.h"

BOOL CCmbFreqList::QueryRates() {
    BOOL bChanged = FALSE;
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k) {
        int32_t nAvailable = 0;
        if (m_pDevSlots != nullptr && m_nSlot >= 0 && m_nSlot < DRV_SLOT_COUNT) {
            DrvRateQuery query = {0, SUPPORTED_RATES[k], 0};
            if ((*m_pDevSlots)[m_nSlot].Control(IOCTL_DRV_QUERY_RATE, &query, sizeof query)) {
                nAvailable = query.nAvailable;
            }
        }
        if (nAvailable != m_anRateState[k])
            bChanged = TRUE;
        m_anRateState[k] = nAvailable;
    }
    return bChanged;
}

BOOL CCmbFreqList::Fill(int nSlot) {
    m_nSlot = nSlot;
    if (!QueryRates())
        return FALSE;
    ResetContent();
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k) {
        if (m_anRateState[k] == 0)
            continue;
        int nIndex = AddString(ToWide(FormatText(u"%6d Hz", {SUPPORTED_RATES[k]})).c_str());
        SetItemData(nIndex, static_cast<DWORD_PTR>(SUPPORTED_RATES[k]));
    }
    return TRUE;
}

int CCmbFreqList::FindItemByData(int32_t nValue) const {
    return ::FindItemByData(*this, nValue);
}

void CCmbFreqList::SelectByData(int32_t nValue) {
    ::SelectByData(*this, nValue);
}
