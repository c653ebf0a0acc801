// --write and --rates: each changes the unit only after it has read what to put back, puts it
// back before it ends (also when interrupted), and refuses while the unit is busy.
#pragma once

#include <vector>

#include "drvcheck/UnitChecks.h"

std::vector<Verdict> CheckWrite(const UnitLink& link, const UnitFindings& findings);
std::vector<Verdict> CheckRates(const UnitLink& link, const UnitFindings& findings);
