// --write and --rates: each changes the unit only after it has read what to put back, puts it
// back before it ends (also when interrupted), refuses while the unit is busy or its state
// cannot be read, and says exactly what it could not put back.
#pragma once

#include <string>
#include <vector>

#include "drvcheck/UnitChecks.h"

struct ChangeResult {
    std::vector<Verdict> verdicts;
    bool bChanged = false;    // a change request reached the unit
    std::string leftChanged;  // "unit 1 sampling rate ...", empty when all was put back
};

ChangeResult CheckWrite(const UnitLink& link, const UnitFindings& findings);
ChangeResult CheckRates(const UnitLink& link, const UnitFindings& findings);
