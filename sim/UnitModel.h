// The simulated units: one plain state per slot, answering every control code the panel sends,
// and a log of every request. Freestanding (no allocation, no library) so that the in-process
// port of the tests and the kernel-mode driver compile this very file.
#pragma once

#include <stdint.h>

namespace sim {

constexpr int kSlots = 4;
constexpr int kCodes = 10;
constexpr int kOffers = 16;
constexpr int kSettingsBytes = 336;
constexpr int kDescriptorBytes = 2048;
constexpr int kLogBytes = 340;  // enough for every record but the descriptor's data
constexpr int kLogEntries = 512;

struct RateOffer {
    int32_t nRate;
    int32_t nAvailable;  // raw availability word answered for nRate
};

struct Unit {
    int32_t bPresent;
    int32_t nOpensLeft;    // -1: no limit; otherwise opens that still succeed before it vanishes
    int32_t nAnswerIndex;  // put into nIndex of every answer that has one
    uint8_t abSettings[kSettingsBytes];
    int32_t nReadResult;   // result word of a settings read
    int32_t nWriteResult;  // result word of a settings write
    int32_t nInUse;
    int32_t nStreamActive;
    int32_t nStreamRate;
    int32_t nDescLength;  // answered as is, even when it lies outside the data area
    uint8_t abDescriptor[kDescriptorBytes];
    int32_t nDeviceFlag;
    int32_t nRate;  // answer of the rate read; a rate change sets it
    int32_t nUnitRate;
    int32_t nCurrentRate;
    int32_t bExternal;
    int32_t bLocked;
    int32_t nOffers;
    RateOffer aOffer[kOffers];
    int32_t anFail[kCodes];  // requests of that code still to fail; -1: every one
    int32_t nAnswerDelayMs;  // only stored here; the kernel-mode driver waits this long
    // Faults of a driver that only the kernel-mode driver shows: requests of this code left
    // pending until the handle's close (0: none), and the unit published under the number of
    // slot + 1 + nNameShift (0: its own).
    uint32_t nPendCode;
    int32_t nNameShift;
    int32_t nWriteShift;  // the next settings write stores and answers the level sent plus this
    // A rate change that takes effect only this many ms after the request, as a driver that
    // switches its clock asynchronously (0: at once); until then the clock and the rate read
    // answer the old rate.
    int32_t nRateLagMs;
    int32_t nLaggingRate;  // the rate a change will take, 0 when none is under way
    uint32_t nRateDueUs;   // Bus::nNowUs from which it has taken
};

enum LogKind { kLogOpen = 0, kLogControl = 1 };

struct LogEntry {
    int32_t nSlot;
    int32_t nKind;
    int32_t bOk;
    uint32_t nCode;
    uint32_t nSize;
    uint32_t nTimeUs;  // Bus::nNowUs when it was logged
    uint8_t abSent[kLogBytes];
    uint8_t abAnswered[kLogBytes];
};

// The units' control-device handles, counted since the last reset: what a long run of the panel
// checks for handles it never closes.
struct HandleCounts {
    uint32_t nOpened;      // opens that succeeded
    uint32_t nClosed;      // closes of those
    uint32_t nFewestOpen;  // fewest handles open at once since TakeHandleCounts
};

struct Bus {
    Unit aUnit[kSlots];
    int32_t nLog;
    int32_t nLogDropped;  // requests that found the log full
    LogEntry aLog[kLogEntries];
    uint32_t nNowUs;  // a clock in microseconds that the host keeps, stamped on each entry; wraps
    HandleCounts handles;
};

// A unit as it leaves the factory: absent until plugged, default settings with a recognisable
// rate table, internal clock at 48000 Hz, 44100..96000 Hz offered, no stream, not in use.
void ResetUnit(Unit* pUnit);
// Every unit as from the factory and absent, the log cleared, the handle counts at 0.
void ResetBus(Bus* pBus);
void ClearLog(Bus* pBus);

// Index of a control code in anFail, or -1 for a code the units do not know.
int CodeIndex(uint32_t nCode);

// An open of slot's control device; nonzero when it opens.
int Open(Bus* pBus, int nSlot);
// The close of a handle that Open gave.
void Close(Bus* pBus);
// The counts so far; the fewest open starts again from the handles open now.
HandleCounts TakeHandleCounts(Bus* pBus);
// One request on an opened device; nonzero when the unit completed it. The buffer is both the
// input and the output, and its size must be exactly the code's.
int Control(Bus* pBus, int nSlot, uint32_t nCode, uint8_t* pBuffer, uint32_t nSize);

// Little-endian words of a byte image, as the records lay them out.
int32_t GetWord(const uint8_t* p);
void PutWord(uint8_t* p, int32_t nValue);

}  // namespace sim
