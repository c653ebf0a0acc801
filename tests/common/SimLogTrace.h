// The simulated units' request log as one readable line, for test failure texts and compares:
// "o1 !o2 c1:2221E8" = slot 1 opened, slot 2 did not open, request 0x2221E8 to slot 1; a failed
// request is marked with '!' too.
#pragma once

#include <cstdio>
#include <string>

#include "sim/UnitModel.h"

inline std::string SimLogTrace(const sim::Bus& bus, int nFrom = 0) {
    std::string text;
    char item[32];
    for (int i = nFrom; i < bus.nLog; ++i) {
        const sim::LogEntry& e = bus.aLog[i];
        if (e.nKind == sim::kLogOpen) {
            std::snprintf(item, sizeof item, "%so%d", e.bOk ? "" : "!", e.nSlot);
        } else {
            std::snprintf(item, sizeof item, "%sc%d:%X", e.bOk ? "" : "!", e.nSlot, e.nCode);
        }
        if (!text.empty()) text += ' ';
        text += item;
    }
    return text;
}
