// What one refresh tick of the panel sends for a given set of units: four presence probes, the
// selected unit's clock and seven rate queries, the stream-state walk and, with no stream
// running, the reference-rate walk. drvcheck prices it with the latencies it measured.
#pragma once

#include <cstdint>
#include <vector>

constexpr uint32_t TICK_PROBE = 0;  // a presence probe: open and close, no request

struct TickRequest {
    int nSlot;
    uint32_t nCode;  // TICK_PROBE or a control code
};

struct TickPlan {
    std::vector<TickRequest> sent;  // to units that open: probes and requests
    int nOpensTried = 0;            // every open the tick attempts, absent units included
    int nRequests = 0;              // control requests among them
};

// The panel selects the lowest present unit. Where the reference walk's last rate read depends
// on the unit's answers, it is counted: the plan is the dearest tick for these units.
TickPlan PanelTick(const bool (&abPresent)[4], const bool (&abStreamActive)[4]);
