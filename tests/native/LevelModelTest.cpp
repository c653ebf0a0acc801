#include <gtest/gtest.h>

#include <climits>

#include "model/LevelModel.h"

namespace {
DrvSettings AtLevel(int32_t level) {
    DrvSettings s;
    s.nBufferLevel = level;
    return s;
}
}  // namespace

struct BandCase {
    int32_t level;
    int32_t rate;
    int32_t size;
};

class AsioBand : public ::testing::TestWithParam<BandCase> {};

TEST_P(AsioBand, SizeFollowsLevelAndRateBand) {
    AsioBufferSize sizes = GetAsioBufferSize(AtLevel(GetParam().level), GetParam().rate);
    EXPECT_EQ(GetParam().size, sizes.minSize)
        << "level " << GetParam().level << " at " << GetParam().rate << " Hz";
    EXPECT_EQ(sizes.minSize, sizes.maxSize);
    EXPECT_EQ(sizes.minSize, sizes.preferredSize);
    EXPECT_EQ(0, sizes.granularity);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, AsioBand,
    ::testing::Values(BandCase{5, 44100, 256}, BandCase{5, 96000, 512}, BandCase{5, 48000, 256},
                      BandCase{5, 48001, 512}, BandCase{5, 192000, 1024}, BandCase{5, 192001, 2048},
                      BandCase{5, 384000, 2048}, BandCase{0, 48000, 48}, BandCase{1, 96000, 96},
                      BandCase{2, 176400, 256}, BandCase{3, 352800, 768}, BandCase{4, 44100, 128},
                      BandCase{6, 88200, 768}, BandCase{7, 192000, 2048}, BandCase{8, 384000, 8192},
                      BandCase{9, 48000, 2048}, BandCase{9, 384000, 16384}, BandCase{5, 0, 256},
                      BandCase{9, -1, 2048}, BandCase{2, INT32_MIN, 64}));

INSTANTIATE_TEST_SUITE_P(
    AboveTheBands, AsioBand,
    ::testing::Values(BandCase{0, 384001, 1312}, BandCase{9, 384001, 1312},
                      BandCase{5, 705600, 2400}, BandCase{5, 768000, 2624},
                      // Past the rate at which a 32-bit product would overflow.
                      BandCase{5, 63161284, 214752}, BandCase{5, INT32_MAX, 7301456}));

// A level from outside 0..9 is held at the nearer end of the table.
INSTANTIATE_TEST_SUITE_P(HostileLevels, AsioBand,
                         ::testing::Values(BandCase{10, 48000, 2048},
                                           BandCase{INT32_MAX, 96000, 4096},
                                           BandCase{-1, 48000, 48},
                                           BandCase{INT32_MIN, 384000, 384}));

TEST(LevelTable, EachAsioColumnIsTwiceTheOneBefore) {
    for (int level = 0; level < LEVEL_COUNT; ++level) {
        for (int band = 1; band < ASIO_BANDS; ++band) {
            EXPECT_EQ(2 * LevelTable[level].anAsioSize[band - 1],
                      LevelTable[level].anAsioSize[band])
                << "level " << level << " band " << band;
        }
    }
}

TEST(LevelTable, OffsetLimitsAndFlags) {
    const int32_t limits[LEVEL_COUNT] = {2, 3, 3, 4, 8, 12, 12, 16, 25, 70};
    const int32_t flags[LEVEL_COUNT] = {1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
    for (int level = 0; level < LEVEL_COUNT; ++level) {
        EXPECT_EQ(limits[level], OffsetLimit(level)) << "level " << level;
        EXPECT_EQ(flags[level], LevelTable[level].bLevelFlag) << "level " << level;
    }
}

struct ClampCase {
    int32_t level;
    int32_t enabled;
    int32_t offset;
    int32_t clamped;
};

class OffsetClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(OffsetClamp, BothOffsetsFollowTheLevelsLimit) {
    DrvSettings s = AtLevel(GetParam().level);
    s.bOffset1 = s.bOffset2 = GetParam().enabled;
    s.nOffset1 = GetParam().offset;
    s.nOffset2 = GetParam().offset;
    ClampOffsets(s);
    EXPECT_EQ(GetParam().clamped, s.nOffset1) << "offset 1 at level " << GetParam().level;
    EXPECT_EQ(GetParam().clamped, s.nOffset2) << "offset 2 at level " << GetParam().level;
    EXPECT_EQ(GetParam().level, s.nBufferLevel) << "the level itself is not touched";
}

INSTANTIATE_TEST_SUITE_P(Cases, OffsetClamp,
                         ::testing::Values(ClampCase{9, 1, -100, -70}, ClampCase{9, 1, 100, 70},
                                           ClampCase{9, 1, -70, -70}, ClampCase{9, 0, -100, 0},
                                           ClampCase{0, 0, 1, 0}, ClampCase{5, 1, 20, 12},
                                           ClampCase{5, 7, -12, -12}, ClampCase{0, 1, 3, 2},
                                           ClampCase{4, 1, -9, -8}, ClampCase{8, 1, 0, 0},
                                           ClampCase{5, 1, INT32_MIN, -12},
                                           ClampCase{5, 1, INT32_MAX, 12},
                                           ClampCase{42, 1, 100, 70}, ClampCase{-5, 1, -100, -2}));

TEST(OffsetClamp, EachOffsetHasItsOwnEnable) {
    DrvSettings s = AtLevel(1);
    s.bOffset1 = 0;
    s.nOffset1 = 2;
    s.bOffset2 = 1;
    s.nOffset2 = 2;
    ClampOffsets(s);
    EXPECT_EQ(0, s.nOffset1);
    EXPECT_EQ(2, s.nOffset2);
}
