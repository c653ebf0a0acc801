#include "bench/longrun/ProcessGauge.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

namespace longrun {

namespace {

// Handles and GDI objects are read this many times, this far apart, and the fewest kept: what a
// tick holds for a moment (a device handle, a DC) is not what the process keeps. The reads span
// more than one refresh period (330 ms).
constexpr int kCountReads = 9;
constexpr DWORD kCountSpacingMs = 50;

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

// Pages of a region that hold anything but zeros: a committed page reads as zeros until the
// process first writes to it, so these grow by every page a heap that keeps growing reaches,
// however much of its committed room it has left.
uint64_t WrittenBytes(HANDLE hProcess, const MEMORY_BASIC_INFORMATION& info,
                      std::vector<uint64_t>& buffer) {
    constexpr size_t kPage = 4096;
    uint64_t nBytes = 0;
    const BYTE* pBase = static_cast<const BYTE*>(info.BaseAddress);
    const size_t nChunk = buffer.size() * sizeof(uint64_t);
    for (size_t nOffset = 0; nOffset < info.RegionSize; nOffset += nChunk) {
        size_t nWant = info.RegionSize - nOffset < nChunk ? info.RegionSize - nOffset : nChunk;
        SIZE_T nRead = 0;
        if (!ReadProcessMemory(hProcess, pBase + nOffset, buffer.data(), nWant, &nRead) ||
            nRead != nWant) {
            continue;
        }
        const size_t nWordsPerPage = kPage / sizeof(uint64_t);
        for (size_t nPage = 0; nPage < nWant / kPage; ++nPage) {
            const uint64_t* p = buffer.data() + nPage * nWordsPerPage;
            for (size_t i = 0; i < nWordsPerPage; ++i) {
                if (p[i] != 0) {
                    nBytes += kPage;
                    break;
                }
            }
        }
    }
    return nBytes;
}

void PrivateMemory(HANDLE hProcess, long* pnCommittedKiB, long* pnWrittenKiB) {
    uint64_t nCommitted = 0, nWritten = 0;
    std::vector<uint64_t> buffer((1u << 20) / sizeof(uint64_t));
    MEMORY_BASIC_INFORMATION info;
    uintptr_t nAddress = 0;
    while (VirtualQueryEx(hProcess, reinterpret_cast<LPCVOID>(nAddress), &info, sizeof info) ==
           sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
            nCommitted += info.RegionSize;
            if ((info.Protect & (PAGE_READWRITE | PAGE_EXECUTE_READWRITE)) != 0 &&
                (info.Protect & PAGE_GUARD) == 0) {
                nWritten += WrittenBytes(hProcess, info, buffer);
            }
        }
        uintptr_t nNext = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (nNext <= nAddress)
            break;
        nAddress = nNext;
    }
    *pnCommittedKiB = static_cast<long>(nCommitted / 1024);
    *pnWrittenKiB = static_cast<long>(nWritten / 1024);
}

// Wine keeps a process's GDI objects in a table of its own, in the process's memory, and points
// the process's PEB at it as Windows points it at the system's table; a live entry has a type.
// Wine's entries are the same 24 bytes in 32-bit and 64-bit processes.
struct GdiEntry {
    uint64_t nObject;
    uint32_t nOwner;
    uint16_t nUnique;
    uint8_t nType;
    uint8_t nFlags;
    uint64_t nUserPointer;
};
static_assert(sizeof(GdiEntry) == 24, "Wine's GDI_HANDLE_ENTRY");
constexpr size_t kGdiEntries = 0x10000;
// PEB.GdiSharedHandleTable, in a process of this program's own width.
constexpr size_t kPebGdiTable = sizeof(void*) == 8 ? 0xF8 : 0x94;

bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

long GdiTableObjects(HANDLE hProcess) {
    PROCESS_BASIC_INFORMATION basic = {};
    ULONG nBytes = 0;
    if (NtQueryInformationProcess(hProcess, ProcessBasicInformation, &basic, sizeof basic,
                                  &nBytes) < 0 ||
        basic.PebBaseAddress == nullptr) {
        return kNotReported;
    }
    void* pTable = nullptr;
    SIZE_T nRead = 0;
    if (!ReadProcessMemory(hProcess, reinterpret_cast<BYTE*>(basic.PebBaseAddress) + kPebGdiTable,
                           &pTable, sizeof pTable, &nRead) ||
        nRead != sizeof pTable || pTable == nullptr) {
        return kNotReported;
    }
    std::vector<GdiEntry> entries(kGdiEntries);
    if (!ReadProcessMemory(hProcess, pTable, entries.data(), entries.size() * sizeof(GdiEntry),
                           &nRead) ||
        nRead != entries.size() * sizeof(GdiEntry)) {
        return kNotReported;
    }
    long nCount = 0;
    for (const GdiEntry& entry : entries) {
        if (entry.nType != 0)
            ++nCount;
    }
    return nCount;
}

long Reported(uint64_t nValue) {
    return nValue == 0 ? kNotReported : static_cast<long>(nValue);
}

long GdiObjects(HANDLE hProcess) {
    long nCount = Reported(GetGuiResources(hProcess, GR_GDIOBJECTS));
    if (nCount == kNotReported && UnderWine())
        nCount = GdiTableObjects(hProcess);
    return nCount;
}

long Fewer(long nKept, long nRead) {
    if (nKept == kNotReported)
        return nRead;
    return nRead != kNotReported && nRead < nKept ? nRead : nKept;
}

}  // namespace

ProcessFigures MeasureProcess(HANDLE hProcess, DWORD nProcessId) {
    ProcessFigures figures;
    figures.nHandles = CountHandles(nProcessId);
    figures.nGdiObjects = GdiObjects(hProcess);
    for (int i = 1; i < kCountReads; ++i) {
        Sleep(kCountSpacingMs);
        figures.nHandles = Fewer(figures.nHandles, CountHandles(nProcessId));
        figures.nGdiObjects = Fewer(figures.nGdiObjects, GdiObjects(hProcess));
    }
    PrivateMemory(hProcess, &figures.nPrivateKiB, &figures.nWrittenKiB);
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
