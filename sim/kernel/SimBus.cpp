// The kernel-mode driver's one bus of units, and the private requests that change it.
// Freestanding like the unit model: no allocation, no library.
#include "sim/kernel/SimBus.h"

#include "sim/UnitModel.h"
#include "sim/kernel/SimControl.h"

namespace {

sim::Bus g_Bus;

void CopyBytes(void* pTo, const void* pFrom, uint32_t n) {
    uint8_t* t = static_cast<uint8_t*>(pTo);
    const uint8_t* f = static_cast<const uint8_t*>(pFrom);
    for (uint32_t i = 0; i < n; ++i)
        t[i] = f[i];
}

int SetField(const void* pBuffer, uint32_t nIn) {
    if (nIn < simctl::kFieldHeaderBytes)
        return SIM_BAD_REQUEST;
    const simctl::FieldWrite* pWrite = static_cast<const simctl::FieldWrite*>(pBuffer);
    const uint32_t nUnit = sizeof(sim::Unit);
    if (pWrite->nSlot < 0 || pWrite->nSlot >= sim::kSlots || pWrite->nOffset > nUnit ||
        pWrite->nSize > nUnit - pWrite->nOffset ||
        nIn != simctl::kFieldHeaderBytes + pWrite->nSize) {
        return SIM_BAD_REQUEST;
    }
    uint8_t* pUnit = reinterpret_cast<uint8_t*>(&g_Bus.aUnit[pWrite->nSlot]);
    CopyBytes(pUnit + pWrite->nOffset, pWrite->abData, pWrite->nSize);
    return SIM_DONE;
}

int TakeHandles(void* pBuffer, uint32_t nOut, uint32_t* pnAnswered) {
    if (nOut < sizeof(sim::HandleCounts))
        return SIM_TOO_SMALL;
    sim::HandleCounts counts = sim::TakeHandleCounts(&g_Bus);
    CopyBytes(pBuffer, &counts, sizeof counts);
    *pnAnswered = sizeof counts;
    return SIM_DONE;
}

int GetLog(void* pBuffer, uint32_t nOut, uint32_t* pnAnswered) {
    const uint32_t nHeader = sizeof(simctl::LogHeader);
    if (nOut < nHeader)
        return SIM_TOO_SMALL;
    uint32_t nRoom = (nOut - nHeader) / sizeof(sim::LogEntry);
    uint32_t nCopy = static_cast<uint32_t>(g_Bus.nLog) < nRoom ? g_Bus.nLog : nRoom;
    simctl::LogHeader header = {g_Bus.nLog, g_Bus.nLogDropped};
    CopyBytes(pBuffer, &header, nHeader);
    CopyBytes(static_cast<uint8_t*>(pBuffer) + nHeader, g_Bus.aLog, nCopy * sizeof(sim::LogEntry));
    *pnAnswered = nHeader + nCopy * sizeof(sim::LogEntry);
    return SIM_DONE;
}

}  // namespace

extern "C" {

void SimBusInit(void) {
    sim::ResetBus(&g_Bus);
}

void SimBusSetClock(uint32_t nNowUs) {
    g_Bus.nNowUs = nNowUs;
}

int SimBusOpen(int nSlot) {
    return sim::Open(&g_Bus, nSlot);
}

void SimBusClose(void) {
    sim::Close(&g_Bus);
}

int SimBusControl(int nSlot, uint32_t nCode, void* pBuffer, uint32_t nSize) {
    return sim::Control(&g_Bus, nSlot, nCode, static_cast<uint8_t*>(pBuffer), nSize);
}

int SimBusAnswerDelayMs(int nSlot) {
    int32_t nMs = g_Bus.aUnit[nSlot].nAnswerDelayMs;
    return nMs < 0 ? 0 : nMs > 2000 ? 2000 : nMs;
}

int SimBusWantsLink(int nSlot) {
    const sim::Unit& unit = g_Bus.aUnit[nSlot];
    return unit.bPresent != 0 && unit.nOpensLeft != 0;
}

int SimBusNameNumber(int nSlot) {
    int32_t nNumber = nSlot + 1 + g_Bus.aUnit[nSlot].nNameShift;
    return nNumber < 0 ? 0 : nNumber > 9 ? 9 : nNumber;
}

uint32_t SimBusPendCode(int nSlot) {
    return g_Bus.aUnit[nSlot].nPendCode;
}

void SimBusUnplugAll(void) {
    for (sim::Unit& unit : g_Bus.aUnit)
        unit.bPresent = 0;
}

int SimBusControlDevice(uint32_t nCode, void* pBuffer, uint32_t nIn, uint32_t nOut,
                        uint32_t* pnAnswered) {
    const uint32_t nUnits = sizeof g_Bus.aUnit;
    *pnAnswered = 0;
    switch (nCode) {
        case simctl::IOCTL_SIM_GET_UNITS:
            if (nOut < nUnits)
                return SIM_TOO_SMALL;
            CopyBytes(pBuffer, g_Bus.aUnit, nUnits);
            *pnAnswered = nUnits;
            return SIM_DONE;
        case simctl::IOCTL_SIM_SET_UNITS:
            if (nIn != nUnits)
                return SIM_BAD_REQUEST;
            CopyBytes(g_Bus.aUnit, pBuffer, nUnits);
            return SIM_DONE;
        case simctl::IOCTL_SIM_SET_FIELD:
            return SetField(pBuffer, nIn);
        case simctl::IOCTL_SIM_GET_LOG:
            return GetLog(pBuffer, nOut, pnAnswered);
        case simctl::IOCTL_SIM_TAKE_LOG: {
            // Cleared only when every entry went out.
            uint32_t nWhole = sizeof(simctl::LogHeader) + g_Bus.nLog * sizeof(sim::LogEntry);
            if (nOut < nWhole)
                return SIM_TOO_SMALL;
            int nOutcome = GetLog(pBuffer, nOut, pnAnswered);
            if (nOutcome == SIM_DONE)
                sim::ClearLog(&g_Bus);
            return nOutcome;
        }
        case simctl::IOCTL_SIM_TAKE_HANDLES:
            return TakeHandles(pBuffer, nOut, pnAnswered);
        case simctl::IOCTL_SIM_CLEAR_LOG:
            sim::ClearLog(&g_Bus);
            return SIM_DONE;
        case simctl::IOCTL_SIM_RESET:
            sim::ResetBus(&g_Bus);
            return SIM_DONE;
        default:
            return SIM_UNKNOWN_CODE;
    }
}

}  // extern "C"
