#include "bench/tick/DriverLog.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "sim/kernel/SimControl.h"

namespace tickbench {

namespace {

DWORD SimRequest(uint32_t nCode, void* pOut, DWORD nOut) {
    HANDLE h = CreateFileW(L"\\\\.\\TkSimCtl", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                           0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr,
                     "the simulated driver is not running (\\\\.\\TkSimCtl does not open)\n");
        std::exit(1);
    }
    DWORD nReturned = 0;
    BOOL bOk = DeviceIoControl(h, nCode, NULL, 0, pOut, nOut, &nReturned, NULL);
    CloseHandle(h);
    if (!bOk) {
        std::fprintf(stderr, "the simulated driver refused a request\n");
        std::exit(1);
    }
    return nReturned;
}

}  // namespace

void GetDriverUnits(sim::Unit (&aUnit)[sim::kSlots]) {
    if (SimRequest(simctl::IOCTL_SIM_GET_UNITS, aUnit, sizeof aUnit) != sizeof aUnit) {
        std::fprintf(stderr, "short answer to the units request\n");
        std::exit(1);
    }
}

void ClearKernelDriverLog() {
    SimRequest(simctl::IOCTL_SIM_CLEAR_LOG, nullptr, 0);
}

Counts CountKernelDriverLog() {
    static uint8_t abBuffer[sizeof(simctl::LogHeader) + sim::kLogEntries * sizeof(sim::LogEntry)];
    DWORD nReturned = SimRequest(simctl::IOCTL_SIM_GET_LOG, abBuffer, sizeof abBuffer);
    if (nReturned < sizeof(simctl::LogHeader)) {
        std::fprintf(stderr, "short answer to the log request\n");
        std::exit(1);
    }
    std::vector<sim::LogEntry> entries((nReturned - sizeof(simctl::LogHeader)) /
                                       sizeof(sim::LogEntry));
    if (!entries.empty()) {
        std::memcpy(entries.data(), abBuffer + sizeof(simctl::LogHeader),
                    entries.size() * sizeof(sim::LogEntry));
    }
    return CountLog(entries.data(), static_cast<int>(entries.size()));
}

}  // namespace tickbench
