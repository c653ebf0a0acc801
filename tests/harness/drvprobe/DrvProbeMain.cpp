// drvprobe: runs the driver link's operations against whatever driver the system has, through
// the same DrvDevTable and Win32 port as the panel. Each command is one operation and prints one
// line; the commands run in the order given:
//   any                       AnyPresent            -> any OK
//   read                      ReadSettings          -> read OK HEX(336 bytes)
//   write [LEVEL]             WriteSettings of the default record with zero rows
//                                                   -> write OK RESULT
//   idle                      IsIdle                -> idle OK
//   stream                    GetStreamState        -> stream OK ACTIVE RATE
//   refrate                   GetReferenceRate      -> refrate OK COUNT RATE
//   clock SLOT [INDEX]        IOCTL_DRV_GET_CLOCK   -> clock OK INDEX UNIT CURRENT EXTERNAL LOCKED
//   setrate SLOT RATE         IOCTL_DRV_SET_RATE    -> setrate OK
//   queryrate SLOT RATE       IOCTL_DRV_QUERY_RATE  -> queryrate OK AVAILABLE
//   bench N [SLOT]            N in-use requests, each an open-exchange-close
//                                                   -> bench N MEAN-MICROSECONDS failed F
//   open SLOT                 CreateFileW as the port does it -> open OK ERROR
//   raw SLOT CODE IN OUT      DeviceIoControl with zeroed buffers of the given lengths, which
//                             the driver link never sends -> raw OK RETURNED ERROR
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/DrvControlCodes.h"
#include "driver/DrvDevTable.h"

namespace {

std::string Hex(const void* p, size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    const unsigned char* b = static_cast<const unsigned char*>(p);
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += kDigits[b[i] >> 4];
        s += kDigits[b[i] & 15];
    }
    return s;
}

bool ToInt(const char* sz, long& n) {
    char* pEnd = nullptr;
    n = std::strtol(sz, &pEnd, 10);
    return *sz != 0 && *pEnd == 0;
}

class Probe {
public:
    Probe() { m_table.Build(); }

    // Returns the number of arguments used, or 0 for a command it does not know.
    int Run(int argc, char** argv) {
        std::string command = argv[0];
        long a = 0, b = 0;
        bool bOne = argc > 1 && ToInt(argv[1], a);
        bool bTwo = bOne && argc > 2 && ToInt(argv[2], b);
        if (command == "any") {
            Print("any %d", m_table.AnyPresent());
            return 1;
        }
        if (command == "read") {
            DrvSettings settings;
            BOOL bOk = m_table.ReadSettings(settings);
            Print("read %d %s", bOk, Hex(&settings, sizeof settings).c_str());
            return 1;
        }
        if (command == "write") {
            DrvSettings settings;
            std::memset(settings.aRate, 0, sizeof settings.aRate);
            if (bOne)
                settings.nBufferLevel = static_cast<int32_t>(a);
            int32_t nResult = 0;
            BOOL bOk = m_table.WriteSettings(settings, nResult);
            Print("write %d %d", bOk, static_cast<int>(nResult));
            return bOne ? 2 : 1;
        }
        if (command == "idle") {
            Print("idle %d", m_table.IsIdle());
            return 1;
        }
        if (command == "stream") {
            DrvStreamState st;
            std::memset(&st, 0, sizeof st);
            BOOL bOk = m_table.GetStreamState(st);
            Print("stream %d %d %d", bOk, static_cast<int>(st.nActive), static_cast<int>(st.nRate));
            return 1;
        }
        if (command == "refrate") {
            int32_t nCount = 0, nRate = 0;
            BOOL bOk = m_table.GetReferenceRate(nCount, nRate);
            Print("refrate %d %d %d", bOk, static_cast<int>(nCount), static_cast<int>(nRate));
            return 1;
        }
        if (command == "clock" && bOne) {
            DrvClockStatus clock;
            std::memset(&clock, 0, sizeof clock);
            clock.nIndex = bTwo ? static_cast<int32_t>(b) : 0;
            BOOL bOk = SlotControl(a, IOCTL_DRV_GET_CLOCK, &clock, sizeof clock);
            Print("clock %d %d %d %d %d %d", bOk, static_cast<int>(clock.nIndex),
                  static_cast<int>(clock.nUnitRate), static_cast<int>(clock.nCurrentRate),
                  clock.bExternal, clock.bLocked);
            return bTwo ? 3 : 2;
        }
        if (command == "setrate" && bTwo) {
            DrvRateValue rate = {0, static_cast<int32_t>(b)};
            Print("setrate %d", SlotControl(a, IOCTL_DRV_SET_RATE, &rate, sizeof rate));
            return 3;
        }
        if (command == "queryrate" && bTwo) {
            DrvRateQuery query = {0, static_cast<int32_t>(b), 0};
            BOOL bOk = SlotControl(a, IOCTL_DRV_QUERY_RATE, &query, sizeof query);
            Print("queryrate %d %d", bOk, static_cast<int>(query.nAvailable));
            return 3;
        }
        if (command == "open" && bOne) {
            HANDLE h = OpenSlot(a);
            DWORD nError = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
            if (h != INVALID_HANDLE_VALUE)
                CloseHandle(h);
            Print("open %d %lu", h != INVALID_HANDLE_VALUE, nError);
            return 2;
        }
        if (command == "raw" && argc > 4 && bOne) {
            long nIn = 0, nOut = 0;
            uint32_t nCode = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0));
            if (!ToInt(argv[3], nIn) || !ToInt(argv[4], nOut) || nIn < 0 || nOut < 0)
                return 0;
            Raw(a, nCode, static_cast<DWORD>(nIn), static_cast<DWORD>(nOut));
            return 5;
        }
        if (command == "bench" && bOne) {
            Bench(a, bTwo ? b : 0);
            return bTwo ? 3 : 2;
        }
        return 0;
    }

private:
    static void Print(const char* szFormat, ...) {
        va_list args;
        va_start(args, szFormat);
        std::vfprintf(stdout, szFormat, args);
        va_end(args);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    // Single-slot requests send nothing for a slot outside 0..3, as the dialog's do.
    BOOL SlotControl(long nSlot, uint32_t nCode, void* pBuffer, size_t nSize) const {
        if (nSlot < 0 || nSlot >= DRV_SLOT_COUNT)
            return FALSE;
        return m_table[static_cast<int>(nSlot)].Control(nCode, pBuffer,
                                                        static_cast<uint32_t>(nSize));
    }

    HANDLE OpenSlot(long nSlot) const {
        if (nSlot < 0 || nSlot >= DRV_SLOT_COUNT)
            return INVALID_HANDLE_VALUE;
        return CreateFileW(reinterpret_cast<LPCWSTR>(m_table[static_cast<int>(nSlot)].szPath),
                           GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, NULL);
    }

    void Raw(long nSlot, uint32_t nCode, DWORD nIn, DWORD nOut) const {
        HANDLE h = OpenSlot(nSlot);
        if (h == INVALID_HANDLE_VALUE) {
            Print("raw 0 0 %lu", GetLastError());
            return;
        }
        std::string buffer(nIn > nOut ? nIn : nOut, '\0');
        DWORD nReturned = 0;
        BOOL bOk = DeviceIoControl(h, nCode, &buffer[0], nIn, &buffer[0], nOut, &nReturned, NULL);
        DWORD nError = bOk ? 0 : GetLastError();
        CloseHandle(h);
        Print("raw %d %lu %lu", bOk ? 1 : 0, nReturned, nError);
    }

    void Bench(long nRounds, long nSlot) const {
        LARGE_INTEGER freq, start, end;
        QueryPerformanceFrequency(&freq);
        long nFailed = 0;
        QueryPerformanceCounter(&start);
        for (long i = 0; i < nRounds; ++i) {
            int32_t nInUse = 0;
            if (!SlotControl(nSlot, IOCTL_DRV_GET_IN_USE, &nInUse, sizeof nInUse))
                ++nFailed;
        }
        QueryPerformanceCounter(&end);
        double us = nRounds > 0 ? 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                      static_cast<double>(freq.QuadPart) / nRounds
                                : 0.0;
        Print("bench %ld %.1f failed %ld", nRounds, us, nFailed);
    }

    DrvDevTable m_table;
};

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    Probe probe;
    for (int i = 1; i < argc;) {
        int nUsed = probe.Run(argc - i, argv + i);
        if (nUsed == 0) {
            std::fprintf(stderr, "drvprobe: unknown or incomplete command '%s'\n", argv[i]);
            return 2;
        }
        i += nUsed;
    }
    return 0;
}
