// The constant per-level table and the computations derived from the buffer level.
#pragma once

#include <cstdint>

#include "driver/DrvRecords.h"

constexpr int LEVEL_COUNT = 10;
constexpr int LEVEL_MIN = 0;
constexpr int LEVEL_MAX = 9;
constexpr int LEVEL_DEFAULT = 5;
constexpr int ASIO_BANDS = 4;

struct LevelRow {
    int32_t nFactorA;
    int32_t nFactorB;
    int32_t bLevelFlag;
    int32_t anAsioSize[ASIO_BANDS];  // samples up to 48000, 96000, 192000 and 384000 Hz
};

extern const LevelRow LevelTable[LEVEL_COUNT];

// Upper sampling-rate bound of each ASIO column, inclusive.
constexpr int32_t ASIO_BAND_BOUND[ASIO_BANDS] = {48000, 96000, 192000, 384000};

struct AsioBufferSize {
    int32_t minSize;
    int32_t maxSize;
    int32_t preferredSize;
    int32_t granularity;
};

// The level as a table index: a level from outside 0..9 is held at the nearer end.
int ClampLevel(int32_t nLevel);

// Offset limit of a level: factor A times factor B of its row.
int32_t OffsetLimit(int32_t nLevel);

void ClampOffsets(DrvSettings& settings);
AsioBufferSize GetAsioBufferSize(const DrvSettings& settings, int32_t nRate);
