#include "drvcheck/TickModel.h"

#include "driver/DrvControlCodes.h"
#include "driver/DrvRates.h"

namespace {

// One open-exchange-close: an absent unit costs an open that fails, nothing more.
void Exchange(TickPlan& plan, const bool (&abPresent)[4], int nSlot, uint32_t nCode) {
    ++plan.nOpensTried;
    if (!abPresent[nSlot])
        return;
    plan.sent.push_back({nSlot, nCode});
    if (nCode != TICK_PROBE)
        ++plan.nRequests;
}

}  // namespace

TickPlan PanelTick(const bool (&abPresent)[4], const bool (&abStreamActive)[4]) {
    TickPlan plan;
    for (int i = 0; i < 4; ++i)
        Exchange(plan, abPresent, i, TICK_PROBE);
    int nSelected = -1;
    for (int i = 0; i < 4 && nSelected < 0; ++i) {
        if (abPresent[i])
            nSelected = i;
    }
    if (nSelected < 0)
        return plan;

    Exchange(plan, abPresent, nSelected, IOCTL_DRV_GET_CLOCK);
    for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k)
        Exchange(plan, abPresent, nSelected, IOCTL_DRV_QUERY_RATE);

    for (int i = 0; i < 4; ++i) {
        Exchange(plan, abPresent, i, IOCTL_DRV_GET_STREAM_STATE);
        if (abPresent[i] && abStreamActive[i])
            return plan;
    }

    int nReference = -1;
    for (int i = 0; i < 4 && nReference < 0; ++i) {
        Exchange(plan, abPresent, i, IOCTL_DRV_GET_DESCRIPTOR);
        if (abPresent[i]) {
            Exchange(plan, abPresent, i, IOCTL_DRV_GET_RATE);
            nReference = i;
        }
    }
    for (int i = nReference + 1; i < 4; ++i) {
        Exchange(plan, abPresent, i, IOCTL_DRV_GET_DESCRIPTOR);
        if (abPresent[i]) {
            Exchange(plan, abPresent, i, IOCTL_DRV_GET_DEVICE_FLAG);
            Exchange(plan, abPresent, i, IOCTL_DRV_GET_RATE);
        }
    }
    return plan;
}
