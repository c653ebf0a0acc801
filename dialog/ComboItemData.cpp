#include "dialog/ComboItemData.h"

int FindItemByData(const CComboBox& combo, int32_t nValue) {
    for (int i = 0; i < combo.GetCount(); ++i) {
        if (static_cast<int32_t>(combo.GetItemData(i)) == nValue)
            return i;
    }
    return -1;
}

void SelectByData(CComboBox& combo, int32_t nValue) {
    int nSel = combo.GetCurSel();
    if (nSel >= 0 && static_cast<int32_t>(combo.GetItemData(nSel)) == nValue)
        return;
    combo.SetCurSel(FindItemByData(combo, nValue));
}
