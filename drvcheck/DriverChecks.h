// The rules about the driver as a whole: its names, and what one refresh tick costs.
#pragma once

#include <vector>

#include "drvcheck/CheckReport.h"
#include "drvcheck/CheckRules.h"
#include "drvcheck/UnitChecks.h"

// The names next to the four the panel opens: a driver that numbers its units from 0, or past
// 4, publishes one of these.
std::vector<std::string> StrayNames(const DrvDevTable& table);

ReportSection CheckDriver(const SlotOpenings& openings, const bool (&abPresent)[4],
                          const std::vector<UnitFindings>& units);
