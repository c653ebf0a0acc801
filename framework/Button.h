// Push buttons and check boxes: what the program does with them, CWnd already offers.
#pragma once

#include "framework/Wnd.h"

class CButton : public CWnd {};
