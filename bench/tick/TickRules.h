// The requests one refresh tick makes, counted from the refresh rules for given unit states,
// and counted from a request log, so that the two can be printed side by side.
#pragma once

#include "sim/UnitModel.h"

namespace tickbench {

struct Counts {
    int nOpenAttempts = 0;  // every CreateFileW of a control device, present or not
    int nOpens = 0;         // those that open
    int anCode[sim::kCodes] = {};
};

// A tick is the timer handler: the live refresh (presence probes of the four slots, the clock
// query of the selected slot, the seven per-rate queries after a clock answer), then the ASIO
// figures (stream-state queries until the first active stream, else the reference-rate walk).
// Nothing changes between ticks here, so neither list is rebuilt. nSel: the selected slot.
Counts ExpectedTick(const sim::Unit (&aUnit)[sim::kSlots], int nSel);

// Counts of a request log. A log without failed opens (the kernel-mode driver never sees the open
// of an absent unit) leaves nOpenAttempts at the number of opens it holds.
Counts CountLog(const sim::LogEntry* pEntries, int nEntries);

}  // namespace tickbench
