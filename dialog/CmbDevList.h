// The list of units present: one item per slot whose control device opens.
#pragma once

#include <cstdint>
#include <string>

#include "driver/DrvDevTable.h"
#include "framework/ComboBox.h"

class CCmbDevList : public CComboBox {
public:
    ~CCmbDevList();

    void Init(DrvDevTable* pDevSlots, const wchar_t* pszName);
    // Probes all four slots; TRUE when any slot came or went.
    BOOL UpdatePresence();
    // Rebuilds the items when presence changed; TRUE when it did.
    BOOL Fill();
    // The slot now selected: nSlot if present, else the lowest present slot, else -1.
    int SelectSlot(int nSlot);
    int FindItemByData(int32_t nValue) const;
    void SelectByData(int32_t nValue);

    DrvDevTable* m_pDevSlots = nullptr;
    std::wstring m_strName;
    int32_t m_abPresent[DRV_SLOT_COUNT] = {};
};
