// The simulated units behind the in-process device port that the tests link.
#pragma once

#include "sim/UnitModel.h"

namespace sim {

// The bus the in-process port answers from; tests plug units and read the log through it.
Bus& InProcessBus();
// Handles opened through the port and not closed yet.
int OpenHandleCount();

}  // namespace sim
