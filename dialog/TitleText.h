// The title both dialogs carry, by which a second start finds the running instance.
#pragma once

#include <string>

// IDS_STR_TITLE with every "__MODEL__" replaced by the model string; empty when the string
// cannot be loaded.
std::wstring GetTitleText();
