// Items of both lists carry their meaning in the item data; selections go by item data.
#pragma once

#include <cstdint>

#include "framework/ComboBox.h"

// Index of the first item whose data equals nValue, or -1.
int FindItemByData(const CComboBox& combo, int32_t nValue);
// Selects the item whose data equals nValue; clears the selection when none does. Leaves an
// already matching selection alone.
void SelectByData(CComboBox& combo, int32_t nValue);
