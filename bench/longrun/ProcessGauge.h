// What a running process holds, read from another process. Under Wine the process's own counters
// (GetProcessHandleCount, GetGuiResources, the private-usage counters) answer 0, so the handles
// are counted in the system's handle table, the memory is summed over the process's regions and
// the GDI objects are counted in the GDI handle table Wine keeps in the process (its PEB points
// at it); the counters are read too, for where the platform fills them in (Windows).
#pragma once

#include <windows.h>

namespace longrun {

constexpr long kNotReported = -1;

struct ProcessFigures {
    long nHandles = kNotReported;          // the process's entries in the system handle table
    long nPrivateKiB = kNotReported;       // committed private regions
    long nWrittenKiB = kNotReported;       // their pages written to so far (not all zeros)
    long nGdiObjects = kNotReported;       // GetGuiResources, or under Wine the process's GDI table
    long nUserObjects = kNotReported;      // GetGuiResources; not reported where it answers 0
    long nHandleCount = kNotReported;      // GetProcessHandleCount, where it answers
    long nPrivateUsageKiB = kNotReported;  // GetProcessMemoryInfo's, where it answers
};

// hProcess needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ. Takes about 400 ms: the handles
// and GDI objects are the fewest of reads spread over one refresh period.
ProcessFigures MeasureProcess(HANDLE hProcess, DWORD nProcessId);

}  // namespace longrun
