// What a running process holds, read from another process. Under Wine the process's own counters
// (GetProcessHandleCount, GetGuiResources, the private-usage counters) answer 0, so the handles
// are counted in the system's handle table and the memory is summed over the process's regions;
// the counters are read too, for where the platform fills them in (Windows).
#pragma once

#include <windows.h>

namespace longrun {

constexpr long kNotReported = -1;

struct ProcessFigures {
    long nHandles = kNotReported;     // the process's entries in the system handle table
    long nPrivateKiB = kNotReported;  // committed private regions
    long nGdiObjects = kNotReported;  // GetGuiResources; not reported where it answers 0
    long nUserObjects = kNotReported;
    long nHandleCount = kNotReported;      // GetProcessHandleCount, where it answers
    long nPrivateUsageKiB = kNotReported;  // GetProcessMemoryInfo's, where it answers
};

// hProcess needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
ProcessFigures MeasureProcess(HANDLE hProcess, DWORD nProcessId);

}  // namespace longrun
