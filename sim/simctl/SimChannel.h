// The simulated kernel-mode driver's private control device, \\.\TkSimCtl, as simctl and the
// long-run tool talk to it. Every failure throws SimFail with a line that says what went wrong.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "sim/UnitModel.h"
#include "sim/simctl/Scenario.h"

namespace simctl {

class SimFail {
public:
    explicit SimFail(std::string text) : m_text(std::move(text)) {}
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// Opened at the first request, closed with the object.
class Channel {
public:
    Channel() = default;
    ~Channel();
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    void Request(uint32_t nCode, const void* pIn, DWORD nIn, void* pOut, DWORD nOut,
                 DWORD* pnReturned = nullptr);

private:
    HANDLE m_h = INVALID_HANDLE_VALUE;
};

scenario::Units GetUnits(Channel& channel);
void SetUnits(Channel& channel, const scenario::Units& units);
// Scenario lines ("present = no", "external = 1") applied to one unit; only the bytes they change
// are written, so the panel's own changes elsewhere in the unit stay.
void SetLines(Channel& channel, int nSlot, const std::vector<std::string>& lines);

struct Log {
    std::vector<sim::LogEntry> entries;
    int32_t nDropped = 0;  // requests that found the log full
};
// The request log; bClear empties it in the same request.
Log ReadLog(Channel& channel, bool bClear);

// The units' handle counts; the fewest open starts again from the handles open now.
sim::HandleCounts TakeHandleCounts(Channel& channel);

}  // namespace simctl
