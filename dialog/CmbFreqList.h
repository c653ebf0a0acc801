// The list of sampling rates the selected unit offers, out of the rates the panel knows.
#pragma once

#include <cstdint>

#include "driver/DrvDevTable.h"
#include "driver/DrvRates.h"
#include "framework/ComboBox.h"

class CCmbFreqList : public CComboBox {
public:
    // Asks the unit of m_nSlot about every rate; TRUE when any answer changed.
    BOOL QueryRates();
    // Lists the rates nSlot offers, rebuilding the items only when its answers changed.
    BOOL Fill(int nSlot);
    int FindItemByData(int32_t nValue) const;
    void SelectByData(int32_t nValue);

    DrvDevTable* m_pDevSlots = nullptr;
    int32_t m_anRateState[SUPPORTED_RATE_COUNT] = {};  // raw availability answers
    int32_t m_nSlot = -1;
};
