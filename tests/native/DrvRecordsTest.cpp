#include <gtest/gtest.h>

#include <cstring>

#include "driver/DrvRecords.h"

TEST(DrvSettings, FreshRecordHoldsTheDefaultWords) {
    DrvSettings s;
    EXPECT_EQ(5, s.nBufferLevel);
    EXPECT_EQ(1, s.bOffset1);
    EXPECT_EQ(1, s.bOffset2);
    EXPECT_EQ(1, s.nOption3);
    EXPECT_EQ(1, s.nOption4);
    const int32_t zeros[] = {s.bOption1,   s.bOption2, s.bNoRateMatch, s.nOffset1, s.nOffset2,
                             s.bLevelFlag, s.nOption5, s.nOption6,     s.nOption7};
    for (int32_t w : zeros)
        EXPECT_EQ(0, w);
}

TEST(DrvSettings, SetDefaultsLeavesTheRateRowsAlone) {
    DrvSettings s;
    std::memset(static_cast<void*>(&s), 0xA5, sizeof s);
    s.SetDefaults();
    const uint8_t* rows = reinterpret_cast<const uint8_t*>(s.aRate);
    for (size_t i = 0; i < sizeof s.aRate; ++i)
        ASSERT_EQ(0xA5, rows[i]) << "row byte " << i;
    EXPECT_EQ(5, s.nBufferLevel);
    EXPECT_EQ(0, s.nOption7);
}

struct EqualityCase {
    const char* what;
    void (*change)(DrvSettings& a, DrvSettings& b);
    bool equal;
};

class DrvSettingsEquality : public ::testing::TestWithParam<EqualityCase> {};

TEST_P(DrvSettingsEquality, ComparesOnlyWhatTheDriverActsOn) {
    DrvSettings a, b;
    GetParam().change(a, b);
    EXPECT_EQ(GetParam().equal, a.IsEqual(b) != FALSE) << GetParam().what;
    EXPECT_EQ(GetParam().equal, b.IsEqual(a) != FALSE) << GetParam().what << " (reversed)";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DrvSettingsEquality,
    ::testing::Values(EqualityCase{"identical", [](DrvSettings&, DrvSettings&) {}, true},
                      EqualityCase{"offset 1 differs while disabled in both",
                                   [](DrvSettings& a, DrvSettings& b) {
                                       a.bOffset1 = b.bOffset1 = 0;
                                       a.nOffset1 = 3;
                                       b.nOffset1 = -7;
                                   },
                                   true},
                      EqualityCase{"offset 1 differs while enabled",
                                   [](DrvSettings& a, DrvSettings& b) {
                                       a.nOffset1 = 3;
                                       b.nOffset1 = 4;
                                   },
                                   false},
                      EqualityCase{"offset 1 enable differs in truth",
                                   [](DrvSettings& a, DrvSettings&) { a.bOffset1 = 0; }, false},
                      EqualityCase{"offset 1 enables 1 and 9 are both on",
                                   [](DrvSettings& a, DrvSettings& b) {
                                       a.bOffset1 = 1;
                                       b.bOffset1 = 9;
                                   },
                                   true},
                      EqualityCase{"offset 2 differs while disabled in both",
                                   [](DrvSettings& a, DrvSettings& b) {
                                       a.bOffset2 = b.bOffset2 = 0;
                                       a.nOffset2 = 1;
                                   },
                                   true},
                      EqualityCase{"offset 2 differs while enabled",
                                   [](DrvSettings& a, DrvSettings&) { a.nOffset2 = 1; }, false},
                      EqualityCase{"offset 2 enable differs",
                                   [](DrvSettings&, DrvSettings& b) { b.bOffset2 = 0; }, false},
                      EqualityCase{"buffer level",
                                   [](DrvSettings& a, DrvSettings&) { a.nBufferLevel = 6; }, false},
                      EqualityCase{"option 1 of 5 and 1",
                                   [](DrvSettings& a, DrvSettings& b) {
                                       a.bOption1 = 5;
                                       b.bOption1 = 1;
                                   },
                                   true},
                      EqualityCase{"option 1 on and off",
                                   [](DrvSettings& a, DrvSettings&) { a.bOption1 = 1; }, false},
                      EqualityCase{"option 2 on and off",
                                   [](DrvSettings&, DrvSettings& b) { b.bOption2 = -1; }, false},
                      EqualityCase{"rate match exact: 1 and 2 differ",
                                   [](DrvSettings& a, DrvSettings& b) {
                                       a.bNoRateMatch = 1;
                                       b.bNoRateMatch = 2;
                                   },
                                   false},
                      EqualityCase{"rate rows are never compared",
                                   [](DrvSettings& a, DrvSettings& b) {
                                       std::memset(a.aRate, 1, sizeof a.aRate);
                                       std::memset(b.aRate, 2, sizeof b.aRate);
                                   },
                                   true},
                      EqualityCase{"option 3 is not compared",
                                   [](DrvSettings& a, DrvSettings&) { a.nOption3 = 0; }, true},
                      EqualityCase{"level flag and the words after it are not compared",
                                   [](DrvSettings& a, DrvSettings&) {
                                       a.bLevelFlag = 1;
                                       a.nOption4 = 7;
                                       a.nOption5 = 7;
                                       a.nOption6 = 7;
                                       a.nOption7 = 7;
                                   },
                                   true}));
