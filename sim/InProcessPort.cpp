#include <cstdint>

#include "driver/DevicePort.h"
#include "sim/InProcessSim.h"
#include "sim/SlotPath.h"

namespace sim {

Bus& InProcessBus() {
    static Bus* pBus = [] {
        static Bus bus;
        ResetBus(&bus);
        return &bus;
    }();
    return *pBus;
}

int OpenHandleCount() {
    const HandleCounts& handles = InProcessBus().handles;
    return static_cast<int>(handles.nOpened - handles.nClosed);
}

}  // namespace sim

namespace DevicePort {

BOOL Open(const Utf16* szPath, Handle* phDevice) {
    int nSlot = sim::SlotOfPath(szPath);
    if (nSlot < 0 || !sim::Open(&sim::InProcessBus(), nSlot))
        return FALSE;
    *phDevice = reinterpret_cast<Handle>(static_cast<uintptr_t>(nSlot + 1));
    return TRUE;
}

BOOL Exchange(Handle hDevice, uint32_t nCode, void* pBuffer, uint32_t nSize) {
    int nSlot = static_cast<int>(reinterpret_cast<uintptr_t>(hDevice)) - 1;
    return sim::Control(&sim::InProcessBus(), nSlot, nCode, static_cast<uint8_t*>(pBuffer), nSize)
               ? TRUE
               : FALSE;
}

void Close(Handle) {
    sim::Close(&sim::InProcessBus());
}

}  // namespace DevicePort
