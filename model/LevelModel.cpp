#include "model/LevelModel.h"

// Each ASIO column is twice the one to its left, so at the top rate of each band the buffer
// lasts the same time.
const LevelRow LevelTable[LEVEL_COUNT] = {
    {1, 2, 1, {48, 96, 192, 384}},       {1, 3, 1, {48, 96, 192, 384}},
    {1, 3, 1, {64, 128, 256, 512}},      {1, 4, 1, {96, 192, 384, 768}},
    {2, 4, 1, {128, 256, 512, 1024}},    {3, 4, 0, {256, 512, 1024, 2048}},
    {3, 4, 0, {384, 768, 1536, 3072}},   {4, 4, 0, {512, 1024, 2048, 4096}},
    {5, 5, 0, {1024, 2048, 4096, 8192}}, {10, 7, 0, {2048, 4096, 8192, 16384}},
};

int ClampLevel(int32_t nLevel) {
    if (nLevel < LEVEL_MIN)
        return LEVEL_MIN;
    if (nLevel > LEVEL_MAX)
        return LEVEL_MAX;
    return nLevel;
}

int32_t OffsetLimit(int32_t nLevel) {
    const LevelRow& row = LevelTable[ClampLevel(nLevel)];
    return row.nFactorA * row.nFactorB;
}

namespace {
int32_t ClampOffset(int32_t bEnabled, int32_t nOffset, int32_t nLimit) {
    if (bEnabled == 0)
        return 0;
    if (nOffset < -nLimit)
        return -nLimit;
    if (nOffset > nLimit)
        return nLimit;
    return nOffset;
}
}  // namespace

void ClampOffsets(DrvSettings& settings) {
    int32_t nLimit = OffsetLimit(settings.nBufferLevel);
    settings.nOffset1 = ClampOffset(settings.bOffset1, settings.nOffset1, nLimit);
    settings.nOffset2 = ClampOffset(settings.bOffset2, settings.nOffset2, nLimit);
}

AsioBufferSize GetAsioBufferSize(const DrvSettings& settings, int32_t nRate) {
    int32_t nSize = 0;
    int nBand = 0;
    while (nBand < ASIO_BANDS && nRate > ASIO_BAND_BOUND[nBand])
        ++nBand;
    if (nBand < ASIO_BANDS) {
        nSize = LevelTable[ClampLevel(settings.nBufferLevel)].anAsioSize[nBand];
    } else {
        // Samples in 3.4 ms, rounded up to a multiple of 16. The product is taken in 64 bits so
        // that no rate a driver reports can overflow it; the result still fits 32 bits.
        int64_t n = (static_cast<int64_t>(nRate) * 34 + 9999) / 10000;
        nSize = static_cast<int32_t>((n + 15) / 16 * 16);
    }
    AsioBufferSize sizes = {nSize, nSize, nSize, 0};
    return sizes;
}
