// The title both dialogs carry, by which a second start finds the running instance.
#pragma once

#include <string>

// String 33088 with every "__MODEL__" replaced by the model string; empty when the string
// cannot be loaded.
std::wstring GetTitleText();
