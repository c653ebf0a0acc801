#include <cstdint>

#include "driver/DevicePort.h"
#include "sim/InProcessSim.h"

namespace sim {

namespace {

int g_nOpenHandles = 0;

// Slot of a control-device path "\\.\Tkwm334000N" (N = 1..4), or -1.
int SlotOfPath(const Utf16* szPath) {
    const char kHead[] = "\\\\.\\Tkwm334000";
    int n = 0;
    for (; kHead[n]; ++n) {
        if (szPath[n] != static_cast<Utf16>(kHead[n]))
            return -1;
    }
    if (szPath[n] < u'1' || szPath[n] > u'4' || szPath[n + 1] != 0)
        return -1;
    return szPath[n] - u'1';
}

}  // namespace

Bus& InProcessBus() {
    static Bus* pBus = [] {
        static Bus bus;
        ResetBus(&bus);
        return &bus;
    }();
    return *pBus;
}

int OpenHandleCount() {
    return g_nOpenHandles;
}

}  // namespace sim

namespace DevicePort {

BOOL Open(const Utf16* szPath, Handle* phDevice) {
    int nSlot = sim::SlotOfPath(szPath);
    if (nSlot < 0 || !sim::Open(&sim::InProcessBus(), nSlot))
        return FALSE;
    ++sim::g_nOpenHandles;
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
    --sim::g_nOpenHandles;
}

}  // namespace DevicePort
