#include <cstring>

#include "driver/DrvControlCodes.h"
#include "SimFixture.h"

class ReferenceRate : public SimTest {
protected:
    BOOL Ask() { return table.GetReferenceRate(count, rate); }
    // A unit of another kind: its descriptor differs in one byte.
    static void OtherKind(int slot) { Unit(slot).abDescriptor[9] ^= 0xFF; }
    int32_t count = -1;
    int32_t rate = -1;
};

TEST_F(ReferenceRate, SingleUnitInSlot0IsTheReference) {
    Plug({0});
    ASSERT_TRUE(Ask());
    EXPECT_EQ(1, count);
    EXPECT_EQ(48000, rate);
    EXPECT_EQ("o0 c0:22203C o0 c0:222324 !o1 !o2 !o3", Trace());
}

TEST_F(ReferenceRate, SingleUnitInSlot3IsTheReference) {
    Plug({3});
    Unit(3).nRate = 44100;
    ASSERT_TRUE(Ask());
    EXPECT_EQ(1, count);
    EXPECT_EQ(44100, rate);
}

TEST_F(ReferenceRate, NoUnitAnsweringBothRequestsFails) {
    Plug({0, 2});
    Unit(0).anFail[sim::CodeIndex(IOCTL_DRV_GET_DESCRIPTOR)] = -1;
    Unit(2).anFail[sim::CodeIndex(IOCTL_DRV_GET_RATE)] = -1;
    EXPECT_FALSE(Ask());
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, rate);
}

struct CountCase {
    const char* what;
    bool otherKind;
    int32_t flag;
    int32_t laterRate;
    int32_t count;
};

class ReferenceCount : public ReferenceRate, public ::testing::WithParamInterface<CountCase> {};

TEST_P(ReferenceCount, LaterUnitCountsByKindFlagAndRate) {
    Plug({0, 2});
    if (GetParam().otherKind)
        OtherKind(2);
    Unit(2).nDeviceFlag = GetParam().flag;
    Unit(2).nRate = GetParam().laterRate;
    ASSERT_TRUE(Ask());
    EXPECT_EQ(GetParam().count, count) << GetParam().what;
    EXPECT_EQ(48000, rate);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReferenceCount,
    ::testing::Values(CountCase{"same kind, flag set", false, 1, 48000, 2},
                      CountCase{"same kind, flag clear", false, 0, 48000, 1},
                      CountCase{"other kind, flag clear", true, 0, 48000, 2},
                      CountCase{"other kind, flag set", true, 5, 48000, 1},
                      CountCase{"same kind, flag set, other rate", false, 1, 44100, 1},
                      CountCase{"other kind, flag clear, other rate", true, 0, 96000, 1}));

TEST_F(ReferenceRate, LaterUnitsAreOpenedOncePerRequest) {
    Plug({1, 2});
    Unit(2).nDeviceFlag = 1;
    ASSERT_TRUE(Ask());
    EXPECT_EQ(
        "!o0 o1 c1:22203C o1 c1:222324 "
        "o2 c2:22203C o2 c2:222044 o2 c2:222324 !o3",
        Trace());
    EXPECT_EQ(2, count);
}

TEST_F(ReferenceRate, FailedFlagRequestCountsAsFlagClear) {
    Plug({0, 1});
    Unit(1).nDeviceFlag = 1;
    Unit(1).anFail[sim::CodeIndex(IOCTL_DRV_GET_DEVICE_FLAG)] = 1;
    ASSERT_TRUE(Ask());
    EXPECT_EQ(1, count) << "same kind without the flag is not counted";
}

TEST_F(ReferenceRate, IndexWordsGoOutAsThePreviousAnswersLeftThem) {
    Plug({0, 1, 2, 3});
    Unit(0).anFail[sim::CodeIndex(IOCTL_DRV_GET_RATE)] =
        1;  // slot 0 drops out after its descriptor
    Unit(0).nAnswerIndex = 10;
    Unit(1).nAnswerIndex = 11;
    Unit(2).nAnswerIndex = 12;
    Unit(3).nAnswerIndex = 13;
    Unit(2).nDeviceFlag = 1;
    Unit(3).nDeviceFlag = 1;
    ASSERT_TRUE(Ask());
    auto requests = Requests();
    // 0: desc(0) 1: rate(0) failed 2: desc(1) 3: rate(1) 4: desc(2) 5: flag(2) 6: rate(2)
    // 7: desc(3) 8: flag(3) 9: rate(3)
    ASSERT_EQ(10u, requests.size()) << Trace();
    EXPECT_EQ(0, SentWord(requests[0], 0)) << "reference descriptor starts at 0";
    EXPECT_EQ(0, SentWord(requests[1], 0));
    EXPECT_EQ(10, SentWord(requests[2], 0)) << "reference descriptor as slot 0 left it";
    EXPECT_EQ(0, SentWord(requests[3], 0)) << "rate index set to 0 for every candidate";
    EXPECT_EQ(0, SentWord(requests[4], 0)) << "second descriptor starts at 0";
    EXPECT_EQ(0, SentWord(requests[5], 0)) << "flag word is sent as 0";
    EXPECT_EQ(11, SentWord(requests[6], 0)) << "rate as the reference's answer left it";
    EXPECT_EQ(12, SentWord(requests[7], 0)) << "second descriptor as slot 2 left it";
    EXPECT_EQ(0, SentWord(requests[8], 0));
    EXPECT_EQ(12, SentWord(requests[9], 0));
    EXPECT_EQ(3, count);
    for (const sim::LogEntry* e : requests)
        EXPECT_EQ(DrvBufferSize(e->nCode), e->nSize);
}

// Lengths outside the data area: the two units are taken as different kinds and nothing beyond
// the data area is compared.
class HostileLength : public ReferenceRate, public ::testing::WithParamInterface<int32_t> {};

TEST_P(HostileLength, DescriptorsCountAsDiffering) {
    Plug({0, 1});
    Unit(0).nDescLength = GetParam();
    Unit(1).nDescLength = GetParam();
    Unit(1).nDeviceFlag = 0;
    ASSERT_TRUE(Ask());
    EXPECT_EQ(2, count) << "differing and flag clear counts";
    sim::ClearLog(&Bus());
    Unit(1).nDeviceFlag = 1;
    ASSERT_TRUE(Ask());
    EXPECT_EQ(1, count) << "differing and flag set does not";
}

INSTANTIATE_TEST_SUITE_P(Lengths, HostileLength,
                         ::testing::Values(-1, INT32_MIN, 2049, 5000, INT32_MAX));

TEST(DescriptorCompare, LengthAndDataBytesDecide) {
    DrvDescriptor a = {}, b = {};
    a.nLength = b.nLength = 4;
    std::memcpy(a.abData, "abcdXX", 6);
    std::memcpy(b.abData, "abcdYY", 6);
    EXPECT_FALSE(DrvDescriptorsDiffer(a, b)) << "bytes past nLength are not compared";
    b.abData[3] = 'z';
    EXPECT_TRUE(DrvDescriptorsDiffer(a, b));
    b.abData[3] = 'd';
    b.nLength = 5;
    EXPECT_TRUE(DrvDescriptorsDiffer(a, b)) << "different lengths";
    a.nLength = b.nLength = 0;
    EXPECT_FALSE(DrvDescriptorsDiffer(a, b));
    a.nLength = b.nLength = 2048;
    std::memset(a.abData, 7, 2048);
    std::memset(b.abData, 7, 2048);
    EXPECT_FALSE(DrvDescriptorsDiffer(a, b)) << "the whole data area";
    a.nLength = b.nLength = 2049;
    EXPECT_TRUE(DrvDescriptorsDiffer(a, b)) << "beyond the data area";
}
