// Records exchanged with the driver: fixed little-endian layouts of 32-bit signed words,
// copied in and out as whole blocks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/Platform.h"

struct DrvRateEntry {
    int32_t nRate;
    int32_t nParamA;
    int32_t nParamB;
    int32_t nParamC;
    int32_t nParamD;
    int32_t nParamE;
    int32_t nParamF;
};
static_assert(sizeof(DrvRateEntry) == 28, "rate row size");

constexpr int DRV_RATE_ROWS = 10;

class DrvSettings {
public:
    DrvSettings() { SetDefaults(); }

    // The fourteen setting words get their defaults; the rate rows are left alone.
    void SetDefaults();
    BOOL IsEqual(const DrvSettings& other) const;

    DrvRateEntry aRate[DRV_RATE_ROWS];
    int32_t bOption1;
    int32_t bOption2;
    int32_t nBufferLevel;
    int32_t nOption3;
    int32_t bNoRateMatch;
    int32_t bOffset1;
    int32_t nOffset1;
    int32_t bOffset2;
    int32_t nOffset2;
    int32_t bLevelFlag;
    int32_t nOption4;
    int32_t nOption5;
    int32_t nOption6;
    int32_t nOption7;
};
static_assert(sizeof(DrvSettings) == 336, "settings record size");
static_assert(offsetof(DrvSettings, aRate) == 0, "aRate");
static_assert(offsetof(DrvSettings, bOption1) == 280, "bOption1");
static_assert(offsetof(DrvSettings, bOption2) == 284, "bOption2");
static_assert(offsetof(DrvSettings, nBufferLevel) == 288, "nBufferLevel");
static_assert(offsetof(DrvSettings, nOption3) == 292, "nOption3");
static_assert(offsetof(DrvSettings, bNoRateMatch) == 296, "bNoRateMatch");
static_assert(offsetof(DrvSettings, bOffset1) == 300, "bOffset1");
static_assert(offsetof(DrvSettings, nOffset1) == 304, "nOffset1");
static_assert(offsetof(DrvSettings, bOffset2) == 308, "bOffset2");
static_assert(offsetof(DrvSettings, nOffset2) == 312, "nOffset2");
static_assert(offsetof(DrvSettings, bLevelFlag) == 316, "bLevelFlag");
static_assert(offsetof(DrvSettings, nOption4) == 320, "nOption4");
static_assert(offsetof(DrvSettings, nOption5) == 324, "nOption5");
static_assert(offsetof(DrvSettings, nOption6) == 328, "nOption6");
static_assert(offsetof(DrvSettings, nOption7) == 332, "nOption7");

// Result word of a settings write, after merging over the units that answered.
constexpr int32_t DRV_RESULT_NONE = 0;
constexpr int32_t DRV_RESULT_WAVE = 1;
constexpr int32_t DRV_RESULT_MIDI = 2;

// Wire form of both settings codes: the record, then the driver's result word.
struct DrvSettingsIo {
    DrvSettings settings;
    int32_t nResult;
};
static_assert(sizeof(DrvSettingsIo) == 340, "settings wire size");
static_assert(offsetof(DrvSettingsIo, nResult) == 336, "nResult");

struct DrvStreamState {
    int32_t nIndex;
    int32_t nActive;
    int32_t nRate;
    uint8_t abReserved[20];
};
static_assert(sizeof(DrvStreamState) == 32, "stream state size");
static_assert(offsetof(DrvStreamState, nActive) == 4, "nActive");
static_assert(offsetof(DrvStreamState, nRate) == 8, "stream nRate");

constexpr int32_t DRV_DESCRIPTOR_DATA = 2048;

struct DrvDescriptor {
    int32_t nIndex;
    int32_t nLength;
    uint8_t abData[DRV_DESCRIPTOR_DATA];
};
static_assert(sizeof(DrvDescriptor) == 2056, "descriptor size");
static_assert(offsetof(DrvDescriptor, nLength) == 4, "nLength");
static_assert(offsetof(DrvDescriptor, abData) == 8, "abData");

struct DrvRateValue {
    int32_t nIndex;
    int32_t nRate;
};
static_assert(sizeof(DrvRateValue) == 8, "rate value size");
static_assert(offsetof(DrvRateValue, nRate) == 4, "rate value nRate");

struct DrvRateQuery {
    int32_t nIndex;
    int32_t nRate;
    int32_t nAvailable;
};
static_assert(sizeof(DrvRateQuery) == 12, "rate query size");
static_assert(offsetof(DrvRateQuery, nRate) == 4, "rate query nRate");
static_assert(offsetof(DrvRateQuery, nAvailable) == 8, "nAvailable");

struct DrvClockStatus {
    int32_t nIndex;
    int32_t nUnitRate;
    int32_t nCurrentRate;
    uint8_t bExternal;
    uint8_t bLocked;
    uint8_t abReserved[6];
};
static_assert(sizeof(DrvClockStatus) == 20, "clock status size");
static_assert(offsetof(DrvClockStatus, nUnitRate) == 4, "nUnitRate");
static_assert(offsetof(DrvClockStatus, nCurrentRate) == 8, "nCurrentRate");
static_assert(offsetof(DrvClockStatus, bExternal) == 12, "bExternal");
static_assert(offsetof(DrvClockStatus, bLocked) == 13, "bLocked");
