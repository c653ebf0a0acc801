#include "sim/simctl/SimChannel.h"

#include <cstdio>
#include <cstring>

#include "sim/kernel/SimControl.h"

namespace simctl {

namespace {

std::string Hex32(uint32_t n) {
    char sz[12];
    std::snprintf(sz, sizeof sz, "%08X", static_cast<unsigned>(n));
    return sz;
}

// Writes the bytes in which the two states differ, as one block: a change of a few fields never
// overwrites what the panel's requests change meanwhile elsewhere in the unit.
void WriteChanges(Channel& channel, int nSlot, const sim::Unit& before, const sim::Unit& after) {
    const uint8_t* pOld = reinterpret_cast<const uint8_t*>(&before);
    const uint8_t* pNew = reinterpret_cast<const uint8_t*>(&after);
    size_t nFirst = 0, nEnd = sizeof(sim::Unit);
    while (nFirst < nEnd && pOld[nFirst] == pNew[nFirst])
        ++nFirst;
    while (nEnd > nFirst && pOld[nEnd - 1] == pNew[nEnd - 1])
        --nEnd;
    if (nFirst == nEnd)
        return;
    static FieldWrite write;
    write.nSlot = nSlot;
    write.nOffset = static_cast<uint32_t>(nFirst);
    write.nSize = static_cast<uint32_t>(nEnd - nFirst);
    std::memcpy(write.abData, pNew + nFirst, write.nSize);
    channel.Request(IOCTL_SIM_SET_FIELD, &write, kFieldHeaderBytes + write.nSize, nullptr, 0);
}

}  // namespace

Channel::~Channel() {
    if (m_h != INVALID_HANDLE_VALUE)
        CloseHandle(m_h);
}

void Channel::Request(uint32_t nCode, const void* pIn, DWORD nIn, void* pOut, DWORD nOut,
                      DWORD* pnReturned) {
    if (m_h == INVALID_HANDLE_VALUE) {
        m_h = CreateFileW(L"\\\\.\\TkSimCtl", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                          0, NULL);
        if (m_h == INVALID_HANDLE_VALUE) {
            throw SimFail(
                "the simulated driver is not running (\\\\.\\TkSimCtl does not open, error " +
                std::to_string(GetLastError()) + ")");
        }
    }
    DWORD nReturned = 0;
    if (!DeviceIoControl(m_h, nCode, const_cast<void*>(pIn), nIn, pOut, nOut, &nReturned, NULL)) {
        throw SimFail("the simulated driver refused request 0x" + Hex32(nCode) + " (error " +
                      std::to_string(GetLastError()) + ")");
    }
    if (pnReturned)
        *pnReturned = nReturned;
}

scenario::Units GetUnits(Channel& channel) {
    scenario::Units units;
    DWORD nReturned = 0;
    channel.Request(IOCTL_SIM_GET_UNITS, nullptr, 0, units.aUnit, sizeof units.aUnit, &nReturned);
    if (nReturned != sizeof units.aUnit)
        throw SimFail("short answer to the units request");
    return units;
}

void SetUnits(Channel& channel, const scenario::Units& units) {
    channel.Request(IOCTL_SIM_SET_UNITS, units.aUnit, sizeof units.aUnit, nullptr, 0);
}

void SetLines(Channel& channel, int nSlot, const std::vector<std::string>& lines) {
    scenario::Units units = GetUnits(channel);
    sim::Unit changed = units.aUnit[nSlot];
    for (const std::string& line : lines) {
        std::string error;
        if (!scenario::ApplyLine(line, changed, error))
            throw SimFail(error);
    }
    WriteChanges(channel, nSlot, units.aUnit[nSlot], changed);
}

Log ReadLog(Channel& channel, bool bClear) {
    static uint8_t abBuffer[sizeof(LogHeader) + sim::kLogEntries * sizeof(sim::LogEntry)];
    DWORD nReturned = 0;
    channel.Request(bClear ? IOCTL_SIM_TAKE_LOG : IOCTL_SIM_GET_LOG, nullptr, 0, abBuffer,
                    sizeof abBuffer, &nReturned);
    if (nReturned < sizeof(LogHeader) || nReturned > sizeof abBuffer)
        throw SimFail("short answer to the log request");
    LogHeader header;
    std::memcpy(&header, abBuffer, sizeof header);
    Log log;
    log.nDropped = header.nDropped;
    log.entries.resize((nReturned - sizeof header) / sizeof(sim::LogEntry));
    if (!log.entries.empty()) {
        std::memcpy(log.entries.data(), abBuffer + sizeof header,
                    log.entries.size() * sizeof(sim::LogEntry));
    }
    return log;
}

sim::HandleCounts TakeHandleCounts(Channel& channel) {
    sim::HandleCounts counts;
    DWORD nReturned = 0;
    channel.Request(IOCTL_SIM_TAKE_HANDLES, nullptr, 0, &counts, sizeof counts, &nReturned);
    if (nReturned != sizeof counts)
        throw SimFail("short answer to the handle counts request");
    return counts;
}

}  // namespace simctl
