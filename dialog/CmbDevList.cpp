#include "dialog/CmbDevList.h"

#include "dialog/ComboItemData.h"
#include "text/TextFormat.h"
#include "text/WideText.h"

CCmbDevList::~CCmbDevList() = default;

void CCmbDevList::Init(DrvDevTable* pDevSlots, const wchar_t* pszName) {
    m_pDevSlots = pDevSlots;
    m_strName = pszName;
    for (int32_t& bPresent : m_abPresent)
        bPresent = 0;
}

BOOL CCmbDevList::UpdatePresence() {
    if (m_pDevSlots == nullptr)
        return FALSE;
    BOOL bChanged = FALSE;
    for (int i = 0; i < DRV_SLOT_COUNT; ++i) {
        int32_t bPresent = (*m_pDevSlots)[i].Opens() ? 1 : 0;
        if (bPresent != m_abPresent[i])
            bChanged = TRUE;
        m_abPresent[i] = bPresent;
    }
    return bChanged;
}

BOOL CCmbDevList::Fill() {
    if (!UpdatePresence())
        return FALSE;
    ResetContent();
    const std::u16string name = ToU16(m_strName);
    for (int slot = 0; slot < DRV_SLOT_COUNT; ++slot) {
        if (!m_abPresent[slot])
            continue;
        std::u16string text = slot == 0 ? FormatText(u"%s", {name.c_str()})
                                        : FormatText(u"%s(%d)", {name.c_str(), slot + 1});
        int nIndex = AddString(ToWide(text).c_str());
        SetItemData(nIndex, static_cast<DWORD_PTR>(slot));
    }
    return TRUE;
}

int CCmbDevList::SelectSlot(int nSlot) {
    if (nSlot < 0 || nSlot >= DRV_SLOT_COUNT || !m_abPresent[nSlot]) {
        nSlot = -1;
        for (int i = 0; i < DRV_SLOT_COUNT && nSlot < 0; ++i) {
            if (m_abPresent[i])
                nSlot = i;
        }
    }
    SetCurSel(FindItemByData(nSlot));
    return nSlot;
}

int CCmbDevList::FindItemByData(int32_t nValue) const {
    return ::FindItemByData(*this, nValue);
}

void CCmbDevList::SelectByData(int32_t nValue) {
    ::SelectByData(*this, nValue);
}
