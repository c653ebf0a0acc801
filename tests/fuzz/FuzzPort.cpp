#include "tests/fuzz/FuzzPort.h"

#include <cstring>
#include <string>

#include "driver/DevicePort.h"
#include "driver/DrvControlCodes.h"
#include "driver/DrvDevTable.h"
#include "sim/SlotPath.h"
#include "tests/fuzz/FuzzCheck.h"

namespace fuzzport {

namespace {

const uint8_t* g_pData = nullptr;
size_t g_nLeft = 0;
std::vector<Event> g_events;
// Slot of each handle ever opened (index = handle - 1), -1 once closed.
std::vector<int> g_handleSlot;
int g_nOpen = 0;

int SlotOfHandle(DevicePort::Handle hDevice) {
    uintptr_t nHandle = reinterpret_cast<uintptr_t>(hDevice);
    FUZZ_CHECK(nHandle >= 1 && nHandle <= g_handleSlot.size(),
               "a handle the port never gave out: " + std::to_string(nHandle));
    int nSlot = g_handleSlot[nHandle - 1];
    FUZZ_CHECK(nSlot >= 0, "a handle used after it was closed: " + std::to_string(nHandle));
    return nSlot;
}

}  // namespace

void Begin(const uint8_t* pData, size_t nSize) {
    g_pData = pData;
    g_nLeft = nSize;
    g_events.clear();
    g_handleSlot.clear();
    g_nOpen = 0;
}

bool TakeByte(uint8_t& b) {
    if (g_nLeft == 0)
        return false;
    b = *g_pData++;
    --g_nLeft;
    return true;
}

const std::vector<Event>& Events() {
    return g_events;
}

void ClearEvents() {
    g_events.clear();
}

int OpenHandles() {
    return g_nOpen;
}

}  // namespace fuzzport

namespace DevicePort {

using fuzzport::Event;

BOOL Open(const Utf16* szPath, Handle* phDevice) {
    FUZZ_CHECK(szPath != nullptr && phDevice != nullptr, "open without a path or a handle");
    int nSlot = sim::SlotOfPath(szPath);
    FUZZ_CHECK(nSlot >= 0, "open of a path that is none of the four control devices");
    uint8_t b = 0;
    bool bOk = fuzzport::TakeByte(b) && (b & 1) != 0;
    fuzzport::g_events.push_back({Event::kOpen, nSlot, bOk, 0, 0, {}, {}});
    if (!bOk)
        return FALSE;
    fuzzport::g_handleSlot.push_back(nSlot);
    ++fuzzport::g_nOpen;
    *phDevice = reinterpret_cast<Handle>(static_cast<uintptr_t>(fuzzport::g_handleSlot.size()));
    return TRUE;
}

BOOL Exchange(Handle hDevice, uint32_t nCode, void* pBuffer, uint32_t nSize) {
    int nSlot = fuzzport::SlotOfHandle(hDevice);
    FUZZ_CHECK(DrvBufferSize(nCode) != 0, "a control code the program does not use");
    FUZZ_CHECK(nSize == DrvBufferSize(nCode),
               "buffer size " + std::to_string(nSize) + " for code " + std::to_string(nCode));
    FUZZ_CHECK(pBuffer != nullptr, "request without a buffer");
    uint8_t* p = static_cast<uint8_t*>(pBuffer);
    // Copying all nSize bytes lets ASan catch a buffer shorter than the size the program claims.
    Event event = {Event::kExchange, nSlot, false, nCode, nSize, {p, p + nSize}, {}};

    uint8_t c = 0;
    bool bOk = fuzzport::TakeByte(c);
    if (bOk) {
        uint32_t nWrite = 0;
        uint8_t lo = 0, hi = 0;
        switch ((c >> 1) & 3) {
            case 1:
                bOk = fuzzport::TakeByte(lo);
                nWrite = lo;
                break;
            case 2:
                nWrite = nSize;
                break;
            case 3:
                bOk = fuzzport::TakeByte(lo) && fuzzport::TakeByte(hi);
                nWrite = lo | (static_cast<uint32_t>(hi) << 8);
                break;
            default:
                break;
        }
        if (nWrite > nSize)
            nWrite = nSize;
        size_t nTaken = nWrite < fuzzport::g_nLeft ? nWrite : fuzzport::g_nLeft;
        if (nTaken != 0)
            std::memcpy(p, fuzzport::g_pData, nTaken);
        fuzzport::g_pData += nTaken;
        fuzzport::g_nLeft -= nTaken;
        bOk = bOk && nTaken == nWrite && (c & 1) != 0;
    }
    event.bOk = bOk;
    event.after.assign(p, p + nSize);
    fuzzport::g_events.push_back(std::move(event));
    return bOk ? TRUE : FALSE;
}

void Close(Handle hDevice) {
    int nSlot = fuzzport::SlotOfHandle(hDevice);
    fuzzport::g_handleSlot[reinterpret_cast<uintptr_t>(hDevice) - 1] = -1;
    --fuzzport::g_nOpen;
    fuzzport::g_events.push_back({Event::kClose, nSlot, true, 0, 0, {}, {}});
}

}  // namespace DevicePort
