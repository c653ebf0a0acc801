#include "bench/longrun/ProcessGauge.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

namespace longrun {

namespace {

// The handle table with full process ids (class 64); the older class 16 cuts them to 16 bits.
constexpr ULONG kSystemExtendedHandleInformation = 64;

struct HandleEntry {
    PVOID pObject;
    ULONG_PTR nProcessId;
    ULONG_PTR nHandle;
    ULONG nGrantedAccess;
    USHORT nCreatorBackTraceIndex;
    USHORT nObjectTypeIndex;
    ULONG nAttributes;
    ULONG nReserved;
};

struct HandleTable {
    ULONG_PTR nHandles;
    ULONG_PTR nReserved;
    HandleEntry aEntry[1];
};

constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

long CountHandles(DWORD nProcessId) {
    std::vector<uint8_t> buffer(1 << 16);
    for (int nTry = 0; nTry < 8; ++nTry) {
        ULONG nNeeded = 0;
        NTSTATUS status = NtQuerySystemInformation(
            static_cast<SYSTEM_INFORMATION_CLASS>(kSystemExtendedHandleInformation), buffer.data(),
            static_cast<ULONG>(buffer.size()), &nNeeded);
        if (status == kInfoLengthMismatch) {
            // The table grows between the two calls as other processes open handles.
            buffer.resize(std::max<size_t>(buffer.size() * 2, nNeeded + 4096u));
            continue;
        }
        if (status < 0 || buffer.size() < offsetof(HandleTable, aEntry))
            return kNotReported;
        const HandleTable* pTable = reinterpret_cast<const HandleTable*>(buffer.data());
        size_t nRoom = (buffer.size() - offsetof(HandleTable, aEntry)) / sizeof(HandleEntry);
        size_t nEntries = pTable->nHandles < nRoom ? pTable->nHandles : nRoom;
        long nCount = 0;
        for (size_t i = 0; i < nEntries; ++i) {
            if (pTable->aEntry[i].nProcessId == nProcessId)
                ++nCount;
        }
        return nCount;
    }
    return kNotReported;
}

long PrivateKiB(HANDLE hProcess) {
    uint64_t nBytes = 0;
    MEMORY_BASIC_INFORMATION info;
    uintptr_t nAddress = 0;
    while (VirtualQueryEx(hProcess, reinterpret_cast<LPCVOID>(nAddress), &info, sizeof info) ==
           sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            nBytes += info.RegionSize;
        uintptr_t nNext = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (nNext <= nAddress)
            break;
        nAddress = nNext;
    }
    return static_cast<long>(nBytes / 1024);
}

long Reported(uint64_t nValue) {
    return nValue == 0 ? kNotReported : static_cast<long>(nValue);
}

}  // namespace

ProcessFigures MeasureProcess(HANDLE hProcess, DWORD nProcessId) {
    ProcessFigures figures;
    figures.nHandles = CountHandles(nProcessId);
    figures.nPrivateKiB = PrivateKiB(hProcess);
    figures.nGdiObjects = Reported(GetGuiResources(hProcess, GR_GDIOBJECTS));
    figures.nUserObjects = Reported(GetGuiResources(hProcess, GR_USEROBJECTS));
    DWORD nHandleCount = 0;
    if (GetProcessHandleCount(hProcess, &nHandleCount))
        figures.nHandleCount = Reported(nHandleCount);
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        figures.nPrivateUsageKiB = Reported(counters.PrivateUsage / 1024);
    }
    return figures;
}

}  // namespace longrun
