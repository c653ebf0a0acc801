// The safe run on one unit: only the read requests the panel sends while it is open.
#pragma once

#include <map>

#include "drvcheck/CheckOptions.h"
#include "drvcheck/CheckReport.h"
#include "drvcheck/CheckRules.h"
#include "drvcheck/UnitLink.h"

// What the run saw of one unit: the driver-wide rules and --write and --rates build on it.
struct UnitFindings {
    int nSlot = -1;
    bool bSettings = false;
    DrvSettingsIo settings = {};
    bool bDescriptor = false;
    DrvDescriptor descriptor = {};
    bool bStream = false;
    DrvStreamState stream = {};
    bool bInUse = false;
    int32_t nInUse = 0;
    bool bRate = false;
    DrvRateValue rate = {};
    bool bClock = false;
    DrvClockStatus clock = {};
    RateAnswers rates;
    std::map<uint32_t, double> medianMs;  // by code, TICK_PROBE for the presence probe
};

ReportSection CheckUnit(const UnitLink& link, int nSlot, const CheckOptions& options,
                        UnitFindings& findings);
