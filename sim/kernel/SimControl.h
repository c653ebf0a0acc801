// The simulated driver's private control device, \\.\TkSimCtl: what simctl sends to load units,
// plug and unplug them, change single fields and read the request log. The panel never opens it,
// and its codes carry a device type of their own so that none of them can be mistaken for one
// of the panel's.
#pragma once

#include <stdint.h>

#include "sim/UnitModel.h"

namespace simctl {

// CTL_CODE(kDeviceType, function, METHOD_BUFFERED, FILE_ANY_ACCESS).
constexpr uint32_t kDeviceType = 0x8A33;
constexpr uint32_t ControlCode(uint32_t nFunction) {
    return (kDeviceType << 16) | (nFunction << 2);
}

// out: sim::Unit[kSlots]
constexpr uint32_t IOCTL_SIM_GET_UNITS = ControlCode(0x901);
// in: sim::Unit[kSlots]; links follow the new presence at once
constexpr uint32_t IOCTL_SIM_SET_UNITS = ControlCode(0x902);
// in: FieldWrite header and nSize bytes
constexpr uint32_t IOCTL_SIM_SET_FIELD = ControlCode(0x903);
// out: LogHeader, then as many sim::LogEntry as fit
constexpr uint32_t IOCTL_SIM_GET_LOG = ControlCode(0x904);
constexpr uint32_t IOCTL_SIM_CLEAR_LOG = ControlCode(0x905);
// every unit as it leaves the factory and absent; log cleared
constexpr uint32_t IOCTL_SIM_RESET = ControlCode(0x906);
// as IOCTL_SIM_GET_LOG, and the log is cleared in the same step: nothing is lost in between
constexpr uint32_t IOCTL_SIM_TAKE_LOG = ControlCode(0x907);
// out: sim::HandleCounts; the fewest open starts again from the handles open now
constexpr uint32_t IOCTL_SIM_TAKE_HANDLES = ControlCode(0x908);

constexpr uint32_t kMaxFieldBytes = sizeof(sim::Unit);

// Bytes written into one unit's state at a byte offset, under the driver's lock, so that a
// change never races with the panel's requests.
struct FieldWrite {
    int32_t nSlot;
    uint32_t nOffset;
    uint32_t nSize;
    uint8_t abData[kMaxFieldBytes];
};
constexpr uint32_t kFieldHeaderBytes = 12;

struct LogHeader {
    int32_t nLog;
    int32_t nDropped;
};

static_assert(sizeof(sim::LogEntry) == 24 + 2 * sim::kLogBytes, "log entry has no padding");
static_assert(sizeof(sim::HandleCounts) == 12, "handle counts");
static_assert(sizeof(LogHeader) == 8, "log header");

}  // namespace simctl
