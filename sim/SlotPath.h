// Which unit a control-device path names, for the ports that stand in for the real one.
#pragma once

#include "driver/Platform.h"

namespace sim {

// Slot of "\\.\Tkwm334000N" (N = 1..4), or -1 for any other path. Stops at the first
// difference, so it never reads past the path's terminator.
inline int SlotOfPath(const Utf16* szPath) {
    const char kHead[] = "\\\\.\\Tkwm334000";
    int n = 0;
    for (; kHead[n]; ++n) {
        if (szPath[n] != static_cast<Utf16>(kHead[n]))
            return -1;
    }
    if (szPath[n] < u'1' || szPath[n] > u'4' || szPath[n + 1] != 0)
        return -1;
    return szPath[n] - u'1';
}

}  // namespace sim
