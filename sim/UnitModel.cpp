#include "sim/UnitModel.h"

#include "driver/DrvControlCodes.h"

namespace sim {

namespace {

const uint32_t kCodeList[kCodes] = {
    IOCTL_DRV_GET_DESCRIPTOR, IOCTL_DRV_GET_DEVICE_FLAG, IOCTL_DRV_GET_STREAM_STATE,
    IOCTL_DRV_GET_SETTINGS,   IOCTL_DRV_SET_SETTINGS,    IOCTL_DRV_GET_IN_USE,
    IOCTL_DRV_GET_RATE,       IOCTL_DRV_SET_RATE,        IOCTL_DRV_QUERY_RATE,
    IOCTL_DRV_GET_CLOCK,
};

// Offsets of the settings record's words.
constexpr int kOffBufferLevel = 288;
constexpr int kOffOption3 = 292;
constexpr int kOffOffset1Enable = 300;
constexpr int kOffOffset2Enable = 308;
constexpr int kOffOption4 = 320;

void CopyBytes(uint8_t* pTo, const uint8_t* pFrom, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
        pTo[i] = pFrom[i];
}

void FillBytes(uint8_t* p, uint8_t b, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
        p[i] = b;
}

LogEntry* AppendLog(Bus* pBus) {
    if (pBus->nLog >= kLogEntries) {
        ++pBus->nLogDropped;
        return 0;
    }
    LogEntry* pEntry = &pBus->aLog[pBus->nLog++];
    FillBytes(reinterpret_cast<uint8_t*>(pEntry), 0, sizeof *pEntry);
    pEntry->nTimeUs = pBus->nNowUs;
    return pEntry;
}

int32_t OfferedAvailability(const Unit& unit, int32_t nRate) {
    for (int i = 0; i < unit.nOffers && i < kOffers; ++i) {
        if (unit.aOffer[i].nRate == nRate)
            return unit.aOffer[i].nAvailable;
    }
    return 0;
}

void TakeRate(Unit& unit, int32_t nNew) {
    unit.nRate = nNew;
    unit.nCurrentRate = nNew;
    if (!unit.bExternal)
        unit.nUnitRate = nNew;
}

// A lagging rate change has taken once its time has come; the clock wraps, so the difference
// is what counts.
void SettleRate(Unit& unit, uint32_t nNowUs) {
    if (unit.nLaggingRate != 0 && static_cast<int32_t>(nNowUs - unit.nRateDueUs) >= 0) {
        TakeRate(unit, unit.nLaggingRate);
        unit.nLaggingRate = 0;
    }
}

// Fills the buffer with the unit's answer; the size was checked by the caller.
void Answer(Unit& unit, uint32_t nNowUs, uint32_t nCode, uint8_t* p) {
    switch (nCode) {
        case IOCTL_DRV_GET_DESCRIPTOR:
            PutWord(p, unit.nAnswerIndex);
            PutWord(p + 4, unit.nDescLength);
            CopyBytes(p + 8, unit.abDescriptor, kDescriptorBytes);
            break;
        case IOCTL_DRV_GET_DEVICE_FLAG:
            PutWord(p, unit.nDeviceFlag);
            break;
        case IOCTL_DRV_GET_STREAM_STATE:
            PutWord(p, unit.nAnswerIndex);
            PutWord(p + 4, unit.nStreamActive);
            PutWord(p + 8, unit.nStreamRate);
            break;
        case IOCTL_DRV_GET_SETTINGS:
            CopyBytes(p, unit.abSettings, kSettingsBytes);
            PutWord(p + kSettingsBytes, unit.nReadResult);
            break;
        case IOCTL_DRV_SET_SETTINGS:
            if (unit.nWriteShift != 0) {
                PutWord(p + kOffBufferLevel, GetWord(p + kOffBufferLevel) + unit.nWriteShift);
                unit.nWriteShift = 0;
            }
            CopyBytes(unit.abSettings, p, kSettingsBytes);
            PutWord(p + kSettingsBytes, unit.nWriteResult);
            break;
        case IOCTL_DRV_GET_IN_USE:
            PutWord(p, unit.nInUse);
            break;
        case IOCTL_DRV_GET_RATE:
            PutWord(p, unit.nAnswerIndex);
            PutWord(p + 4, unit.nRate);
            break;
        case IOCTL_DRV_SET_RATE: {
            int32_t nNew = GetWord(p + 4);
            if (OfferedAvailability(unit, nNew) == 0)
                break;
            if (unit.nRateLagMs > 0) {
                unit.nLaggingRate = nNew;
                unit.nRateDueUs = nNowUs + static_cast<uint32_t>(unit.nRateLagMs) * 1000u;
            } else {
                unit.nLaggingRate = 0;
                TakeRate(unit, nNew);
            }
            break;
        }
        case IOCTL_DRV_QUERY_RATE:
            PutWord(p, unit.nAnswerIndex);
            PutWord(p + 8, OfferedAvailability(unit, GetWord(p + 4)));
            break;
        case IOCTL_DRV_GET_CLOCK:
            PutWord(p, unit.nAnswerIndex);
            PutWord(p + 4, unit.nUnitRate);
            PutWord(p + 8, unit.nCurrentRate);
            p[12] = static_cast<uint8_t>(unit.bExternal != 0);
            p[13] = static_cast<uint8_t>(unit.bLocked != 0);
            break;
        default:
            break;
    }
}

}  // namespace

int32_t GetWord(const uint8_t* p) {
    uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                 (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return static_cast<int32_t>(v);
}

void PutWord(uint8_t* p, int32_t nValue) {
    uint32_t v = static_cast<uint32_t>(nValue);
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

int CodeIndex(uint32_t nCode) {
    for (int i = 0; i < kCodes; ++i) {
        if (kCodeList[i] == nCode)
            return i;
    }
    return -1;
}

void ResetUnit(Unit* pUnit) {
    FillBytes(reinterpret_cast<uint8_t*>(pUnit), 0, sizeof *pUnit);
    pUnit->nOpensLeft = -1;

    // Rate rows the panel must carry unchanged: a rate and six words that say where they stand.
    static const int32_t kRowRates[] = {44100, 48000, 88200, 96000, 176400, 192000, 352800};
    for (int row = 0; row < 7; ++row) {
        uint8_t* pRow = pUnit->abSettings + row * 28;
        PutWord(pRow, kRowRates[row]);
        for (int w = 1; w < 7; ++w)
            PutWord(pRow + 4 * w, row * 100 + w);
    }
    PutWord(pUnit->abSettings + kOffBufferLevel, 5);
    PutWord(pUnit->abSettings + kOffOption3, 1);
    PutWord(pUnit->abSettings + kOffOffset1Enable, 1);
    PutWord(pUnit->abSettings + kOffOffset2Enable, 1);
    PutWord(pUnit->abSettings + kOffOption4, 1);
    pUnit->nReadResult = 1;

    pUnit->nDescLength = 18;
    static const uint8_t kDescriptor[18] = {0x12, 0x01, 0x00, 0x02, 0xEF, 0x02, 0x01, 0x40, 0x34,
                                            0x12, 0x40, 0x33, 0x00, 0x01, 0x01, 0x02, 0x00, 0x01};
    CopyBytes(pUnit->abDescriptor, kDescriptor, sizeof kDescriptor);

    pUnit->nRate = 48000;
    pUnit->nUnitRate = 48000;
    pUnit->nCurrentRate = 48000;
    static const int32_t kOffered[] = {44100, 48000, 88200, 96000};
    pUnit->nOffers = 4;
    for (int i = 0; i < 4; ++i) {
        pUnit->aOffer[i].nRate = kOffered[i];
        pUnit->aOffer[i].nAvailable = 1;
    }
}

void ClearLog(Bus* pBus) {
    pBus->nLog = 0;
    pBus->nLogDropped = 0;
}

void ResetBus(Bus* pBus) {
    for (int i = 0; i < kSlots; ++i)
        ResetUnit(&pBus->aUnit[i]);
    ClearLog(pBus);
    pBus->nNowUs = 0;
    pBus->handles = HandleCounts();
}

int Open(Bus* pBus, int nSlot) {
    if (nSlot < 0 || nSlot >= kSlots)
        return 0;
    Unit& unit = pBus->aUnit[nSlot];
    int bOk = unit.bPresent != 0 && unit.nOpensLeft != 0;
    if (bOk && unit.nOpensLeft > 0)
        --unit.nOpensLeft;
    if (bOk)
        ++pBus->handles.nOpened;
    if (LogEntry* pEntry = AppendLog(pBus)) {
        pEntry->nSlot = nSlot;
        pEntry->nKind = kLogOpen;
        pEntry->bOk = bOk;
    }
    return bOk;
}

void Close(Bus* pBus) {
    HandleCounts& handles = pBus->handles;
    ++handles.nClosed;
    uint32_t nOpen = handles.nOpened - handles.nClosed;
    if (nOpen < handles.nFewestOpen)
        handles.nFewestOpen = nOpen;
}

HandleCounts TakeHandleCounts(Bus* pBus) {
    HandleCounts counts = pBus->handles;
    pBus->handles.nFewestOpen = counts.nOpened - counts.nClosed;
    return counts;
}

int Control(Bus* pBus, int nSlot, uint32_t nCode, uint8_t* pBuffer, uint32_t nSize) {
    if (nSlot < 0 || nSlot >= kSlots)
        return 0;
    Unit& unit = pBus->aUnit[nSlot];
    LogEntry* pEntry = AppendLog(pBus);
    uint32_t nLogged = nSize < static_cast<uint32_t>(kLogBytes) ? nSize : kLogBytes;
    if (pEntry) {
        pEntry->nSlot = nSlot;
        pEntry->nKind = kLogControl;
        pEntry->nCode = nCode;
        pEntry->nSize = nSize;
        if (pBuffer)
            CopyBytes(pEntry->abSent, pBuffer, nLogged);
    }

    int nIndex = CodeIndex(nCode);
    int bOk = nIndex >= 0 && pBuffer != 0 && nSize == DrvBufferSize(nCode);
    if (bOk && unit.anFail[nIndex] != 0) {
        if (unit.anFail[nIndex] > 0)
            --unit.anFail[nIndex];
        bOk = 0;
    }
    SettleRate(unit, pBus->nNowUs);
    if (bOk)
        Answer(unit, pBus->nNowUs, nCode, pBuffer);

    if (pEntry) {
        pEntry->bOk = bOk;
        if (pBuffer)
            CopyBytes(pEntry->abAnswered, pBuffer, nLogged);
    }
    return bOk;
}

}  // namespace sim
