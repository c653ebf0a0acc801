// The simulated kernel-mode driver's own control device (\\.\TkSimCtl), as the benchmark
// programs use it: the units' states and the request log. Ends the program with a message when
// the driver is not there.
#pragma once

#include "bench/tick/TickRules.h"
#include "sim/UnitModel.h"

namespace tickbench {

void GetDriverUnits(sim::Unit (&aUnit)[sim::kSlots]);
void ClearKernelDriverLog();
Counts CountKernelDriverLog();

}  // namespace tickbench
