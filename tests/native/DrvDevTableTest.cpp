#include <cstring>
#include <string>

#include "driver/DrvControlCodes.h"
#include "SimFixture.h"

namespace {
std::u16string PathOf(const DrvDevSlot& slot) {
    return slot.szPath;
}
}  // namespace

using DeviceTable = SimTest;

TEST_F(DeviceTable, BuildNamesTheFourControlDevices) {
    const char16_t* expected[] = {u"\\\\.\\Tkwm3340001", u"\\\\.\\Tkwm3340002",
                                  u"\\\\.\\Tkwm3340003", u"\\\\.\\Tkwm3340004"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(i, table[i].nSlot);
        EXPECT_TRUE(PathOf(table[i]) == expected[i]) << "slot " << i;
    }
}

TEST_F(DeviceTable, NothingIsSentWithoutAUnit) {
    DrvSettings settings;
    int32_t result = 77;
    DrvStreamState stream = {};
    int32_t count = 9, rate = 9;
    EXPECT_FALSE(table.AnyPresent());
    EXPECT_FALSE(table.ReadSettings(settings));
    EXPECT_FALSE(table.WriteSettings(settings, result));
    EXPECT_TRUE(table.IsIdle());
    EXPECT_FALSE(table.GetStreamState(stream));
    EXPECT_FALSE(table.GetReferenceRate(count, rate));
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, rate);
    EXPECT_TRUE(Requests().empty()) << Trace();
}

TEST_F(DeviceTable, PresenceProbeTriesAllFourSlots) {
    Plug({3});
    EXPECT_TRUE(table.AnyPresent());
    EXPECT_EQ("!o0 !o1 !o2 o3", Trace());
    sim::ClearLog(&Bus());
    Plug({0});
    EXPECT_TRUE(table.AnyPresent());
    EXPECT_EQ("o0 !o1 !o2 o3", Trace()) << "no early exit";
}

TEST_F(DeviceTable, RefusedOpenCountsAsAbsentForThatCallOnly) {
    Plug({1});
    Unit(1).nOpensLeft = 0;
    EXPECT_FALSE(table.AnyPresent());
    Unit(1).nOpensLeft = -1;
    EXPECT_TRUE(table.AnyPresent());
}

TEST_F(DeviceTable, FailedRequestReportsFalseAndLeavesTheBuffer) {
    Plug({0});
    Unit(0).anFail[sim::CodeIndex(IOCTL_DRV_GET_RATE)] = 1;
    DrvRateValue value = {0, 12345};
    EXPECT_FALSE(table[0].Control(IOCTL_DRV_GET_RATE, &value, sizeof value));
    EXPECT_EQ(12345, value.nRate);
    EXPECT_TRUE(table[0].Control(IOCTL_DRV_GET_RATE, &value, sizeof value));
    EXPECT_EQ(48000, value.nRate);
    EXPECT_EQ("o0 !c0:222324 o0 c0:222324", Trace()) << "one open per exchange";
}

TEST_F(DeviceTable, ReadAsksTheFirstPresentSlotAlone) {
    Plug({1, 3});
    Unit(1).abSettings[288] = 7;  // level 7
    DrvSettings settings;
    ASSERT_TRUE(table.ReadSettings(settings));
    EXPECT_EQ(7, settings.nBufferLevel);
    EXPECT_EQ("!o0 o1 o1 c1:2221E8", Trace()) << "probe, then open again for the request";
}

TEST_F(DeviceTable, ReadSendsTheDefaultWordsAndTakesTheAnswerWhole) {
    Plug({0});
    DrvSettings settings;
    settings.nBufferLevel = 2;
    ASSERT_TRUE(table.ReadSettings(settings));
    auto requests = Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(340u, requests[0]->nSize);
    const int32_t defaults[14] = {0, 0, 5, 1, 0, 1, 0, 1, 0, 0, 1, 0, 0, 0};
    for (int w = 0; w < 14; ++w) {
        EXPECT_EQ(defaults[w], SentWord(requests[0], 280 + 4 * w)) << "word at " << 280 + 4 * w;
    }
    EXPECT_EQ(0, std::memcmp(&settings, Unit(0).abSettings, sizeof settings))
        << "rows and words as the unit answered";
}

TEST_F(DeviceTable, ReadPassesOverAUnitWhoseRequestFails) {
    Plug({0, 2});
    Unit(0).anFail[sim::CodeIndex(IOCTL_DRV_GET_SETTINGS)] = 1;
    Unit(2).abSettings[288] = 3;
    DrvSettings settings;
    EXPECT_TRUE(table.ReadSettings(settings));
    EXPECT_EQ(3, settings.nBufferLevel);
    EXPECT_EQ("o0 o0 !c0:2221E8 !o1 o2 o2 c2:2221E8", Trace());
}

TEST_F(DeviceTable, ReadWithResultZeroFailsButKeepsTheRecord) {
    Plug({0});
    Unit(0).nReadResult = 0;
    Unit(0).abSettings[288] = 8;
    DrvSettings settings;
    EXPECT_FALSE(table.ReadSettings(settings));
    EXPECT_EQ(8, settings.nBufferLevel);
    EXPECT_EQ(1u, Requests().size()) << "no other unit is asked";
}

TEST_F(DeviceTable, FailedReadLeavesTheDefaultWords) {
    Plug({0});
    Unit(0).anFail[sim::CodeIndex(IOCTL_DRV_GET_SETTINGS)] = -1;
    DrvSettings settings;
    settings.nBufferLevel = 9;
    settings.nOption7 = 4;
    EXPECT_FALSE(table.ReadSettings(settings));
    EXPECT_EQ(5, settings.nBufferLevel);
    EXPECT_EQ(0, settings.nOption7);
}

struct MergeCase {
    int32_t answers[4];  // result word of slots 0..3; INT32_MIN: absent
    int32_t merged;
};

class WriteMerge : public SimTest, public ::testing::WithParamInterface<MergeCase> {};

TEST_P(WriteMerge, RestartOfTheUnitOutranksRestartOfTheApplications) {
    for (int slot = 0; slot < 4; ++slot) {
        if (GetParam().answers[slot] == INT32_MIN)
            continue;
        Plug({slot});
        Unit(slot).nWriteResult = GetParam().answers[slot];
    }
    DrvSettings settings;
    int32_t result = -99;
    ASSERT_TRUE(table.WriteSettings(settings, result));
    EXPECT_EQ(GetParam().merged, result);
}

constexpr int32_t kNo = INT32_MIN;
INSTANTIATE_TEST_SUITE_P(
    Cases, WriteMerge,
    ::testing::Values(MergeCase{{1, 2, kNo, kNo}, 2}, MergeCase{{2, 1, kNo, kNo}, 2},
                      MergeCase{{1, 0, kNo, kNo}, 1}, MergeCase{{0, 0, kNo, kNo}, 0},
                      MergeCase{{kNo, kNo, kNo, 3}, 2}, MergeCase{{0, 7, -1, kNo}, 0},
                      MergeCase{{1, 7, kNo, kNo}, 1}, MergeCase{{3, 1, 0, 1}, 2}));

TEST_F(DeviceTable, WriteGoesToEveryUnitWithTheBufferAsThePreviousOneLeftIt) {
    Plug({1, 3});
    Unit(1).nWriteResult = 1;
    DrvSettings settings;
    settings.nBufferLevel = 8;
    int32_t result = -1;
    ASSERT_TRUE(table.WriteSettings(settings, result));
    EXPECT_EQ("!o0 o1 o1 c1:2221EC !o2 o3 o3 c3:2221EC", Trace());
    auto requests = Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(0, std::memcmp(requests[0]->abSent, &settings, sizeof settings));
    EXPECT_EQ(0, std::memcmp(requests[1]->abSent, requests[0]->abAnswered, 340))
        << "slot 3 receives slot 1's answer, result word included";
    EXPECT_EQ(1, SentWord(requests[1], 336));
    EXPECT_EQ(1, result);
}

TEST_F(DeviceTable, WriteThatSomeUnitsTakeReportsTheirMergedResult) {
    Plug({0, 1});
    Unit(0).anFail[sim::CodeIndex(IOCTL_DRV_SET_SETTINGS)] = 1;
    Unit(1).nWriteResult = 2;
    DrvSettings settings;
    int32_t result = -1;
    EXPECT_TRUE(table.WriteSettings(settings, result));
    EXPECT_EQ(2, result);
}

TEST_F(DeviceTable, WriteThatNoUnitTakesFails) {
    Plug({2});
    Unit(2).anFail[sim::CodeIndex(IOCTL_DRV_SET_SETTINGS)] = 1;
    DrvSettings settings;
    int32_t result = -1;
    EXPECT_FALSE(table.WriteSettings(settings, result));
}

TEST_F(DeviceTable, InUseQueryStopsAtTheFirstBusyUnit) {
    Plug({0, 2, 3});
    Unit(2).nInUse = 1;
    EXPECT_FALSE(table.IsIdle());
    EXPECT_EQ("o0 o0 c0:2221F8 !o1 o2 o2 c2:2221F8", Trace());
    for (const sim::LogEntry* e : Requests())
        EXPECT_EQ(4u, e->nSize);
}

TEST_F(DeviceTable, InUseQueryIsIdleWhenNoUnitCanBeAsked) {
    Plug({1});
    Unit(1).nInUse = 1;
    Unit(1).anFail[sim::CodeIndex(IOCTL_DRV_GET_IN_USE)] = 1;
    EXPECT_TRUE(table.IsIdle());
    EXPECT_FALSE(table.IsIdle()) << "the next query reaches the unit";
}

TEST_F(DeviceTable, StreamStateOpensEachSlotOnceAndPassesOverInactiveUnits) {
    Plug({1, 2});
    Unit(1).nStreamActive = 0;
    Unit(1).nAnswerIndex = 41;
    Unit(2).nStreamActive = 2;
    Unit(2).nStreamRate = 96000;
    DrvStreamState stream = {};
    ASSERT_TRUE(table.GetStreamState(stream));
    EXPECT_EQ(2, stream.nActive);
    EXPECT_EQ(96000, stream.nRate);
    EXPECT_EQ("!o0 o1 c1:222160 o2 c2:222160", Trace()) << "no separate presence test";
    auto requests = Requests();
    EXPECT_EQ(0, SentWord(requests[0], 0));
    EXPECT_EQ(41, SentWord(requests[1], 0)) << "record goes on as the previous answer left it";
    EXPECT_EQ(32u, requests[0]->nSize);
}

TEST_F(DeviceTable, StreamStateFailsWhenNoStreamRuns) {
    Plug({0, 3});
    Unit(3).nStreamActive = 1;
    Unit(3).anFail[sim::CodeIndex(IOCTL_DRV_GET_STREAM_STATE)] = 1;
    DrvStreamState stream = {};
    EXPECT_FALSE(table.GetStreamState(stream));
}
