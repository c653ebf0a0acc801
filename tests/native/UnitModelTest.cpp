// The simulated units themselves: the tests of the driver link are only as good as these.
#include <gtest/gtest.h>

#include <cstring>

#include "driver/DrvControlCodes.h"
#include "driver/DrvRecords.h"
#include "sim/UnitModel.h"

class UnitModel : public ::testing::Test {
protected:
    void SetUp() override {
        sim::ResetBus(&bus);
        bus.aUnit[1].bPresent = 1;
    }
    int Send(int slot, uint32_t code, void* buffer, uint32_t size) {
        return sim::Control(&bus, slot, code, static_cast<uint8_t*>(buffer), size);
    }
    sim::Bus bus;
};

TEST_F(UnitModel, AbsentUnitDoesNotOpen) {
    EXPECT_FALSE(sim::Open(&bus, 0));
    EXPECT_TRUE(sim::Open(&bus, 1));
    EXPECT_FALSE(sim::Open(&bus, 4));
    EXPECT_FALSE(sim::Open(&bus, -1));
    ASSERT_EQ(2, bus.nLog) << "slots outside 0..3 are not logged";
    EXPECT_EQ(0, bus.aLog[0].bOk);
    EXPECT_EQ(1, bus.aLog[1].bOk);
}

TEST_F(UnitModel, OpenBudgetMakesTheUnitVanish) {
    bus.aUnit[1].nOpensLeft = 2;
    EXPECT_TRUE(sim::Open(&bus, 1));
    EXPECT_TRUE(sim::Open(&bus, 1));
    EXPECT_FALSE(sim::Open(&bus, 1));
}

TEST_F(UnitModel, EveryCodeDemandsItsExactSize) {
    const uint32_t codes[] = {IOCTL_DRV_GET_DESCRIPTOR,   IOCTL_DRV_GET_DEVICE_FLAG,
                              IOCTL_DRV_GET_STREAM_STATE, IOCTL_DRV_GET_SETTINGS,
                              IOCTL_DRV_SET_SETTINGS,     IOCTL_DRV_GET_IN_USE,
                              IOCTL_DRV_GET_RATE,         IOCTL_DRV_SET_RATE,
                              IOCTL_DRV_QUERY_RATE,       IOCTL_DRV_GET_CLOCK};
    static uint8_t buffer[4096];
    for (uint32_t code : codes) {
        uint32_t size = DrvBufferSize(code);
        ASSERT_NE(0u, size);
        EXPECT_TRUE(Send(1, code, buffer, size)) << std::hex << code;
        EXPECT_FALSE(Send(1, code, buffer, size - 1)) << std::hex << code;
        EXPECT_FALSE(Send(1, code, buffer, size + 4)) << std::hex << code;
    }
    EXPECT_FALSE(Send(1, 0x222000, buffer, 4)) << "unknown code";
}

TEST_F(UnitModel, InjectedFailuresCountDownAndLeaveTheBuffer) {
    bus.aUnit[1].anFail[sim::CodeIndex(IOCTL_DRV_GET_CLOCK)] = 2;
    DrvClockStatus clock;
    std::memset(&clock, 0x5A, sizeof clock);
    EXPECT_FALSE(Send(1, IOCTL_DRV_GET_CLOCK, &clock, sizeof clock));
    EXPECT_FALSE(Send(1, IOCTL_DRV_GET_CLOCK, &clock, sizeof clock));
    EXPECT_EQ(0x5A5A5A5A, clock.nUnitRate);
    EXPECT_TRUE(Send(1, IOCTL_DRV_GET_CLOCK, &clock, sizeof clock));
    EXPECT_EQ(48000, clock.nUnitRate);
    EXPECT_EQ(0x5A, clock.abReserved[0]) << "bytes the panel does not read are left alone";
}

TEST_F(UnitModel, WriteIsReadBack) {
    DrvSettingsIo io;
    std::memset(static_cast<void*>(&io), 0, sizeof io);
    io.settings.nBufferLevel = 9;
    io.settings.aRate[0].nRate = 32000;
    bus.aUnit[1].nWriteResult = 3;
    ASSERT_TRUE(Send(1, IOCTL_DRV_SET_SETTINGS, &io, sizeof io));
    EXPECT_EQ(3, io.nResult);
    DrvSettingsIo back;
    ASSERT_TRUE(Send(1, IOCTL_DRV_GET_SETTINGS, &back, sizeof back));
    EXPECT_EQ(9, back.settings.nBufferLevel);
    EXPECT_EQ(32000, back.settings.aRate[0].nRate);
    EXPECT_EQ(1, back.nResult);
}

TEST_F(UnitModel, WriteShiftChangesOnlyTheNextWrite) {
    DrvSettingsIo io;
    std::memset(static_cast<void*>(&io), 0, sizeof io);
    io.settings.nBufferLevel = 5;
    bus.aUnit[1].nWriteShift = 2;
    ASSERT_TRUE(Send(1, IOCTL_DRV_SET_SETTINGS, &io, sizeof io));
    EXPECT_EQ(7, io.settings.nBufferLevel) << "the answer carries the changed record";
    EXPECT_EQ(7, sim::GetWord(bus.aUnit[1].abSettings + 288));
    io.settings.nBufferLevel = 5;
    ASSERT_TRUE(Send(1, IOCTL_DRV_SET_SETTINGS, &io, sizeof io));
    EXPECT_EQ(5, sim::GetWord(bus.aUnit[1].abSettings + 288));
    EXPECT_EQ(0, bus.aUnit[1].nWriteShift);
}

TEST_F(UnitModel, RateChangeTakesOnlyOfferedRates) {
    DrvRateValue change = {0, 192000};
    ASSERT_TRUE(Send(1, IOCTL_DRV_SET_RATE, &change, sizeof change));
    DrvClockStatus clock = {};
    ASSERT_TRUE(Send(1, IOCTL_DRV_GET_CLOCK, &clock, sizeof clock));
    EXPECT_EQ(48000, clock.nCurrentRate) << "192000 Hz is not offered by default";
    change.nRate = 96000;
    ASSERT_TRUE(Send(1, IOCTL_DRV_SET_RATE, &change, sizeof change));
    ASSERT_TRUE(Send(1, IOCTL_DRV_GET_CLOCK, &clock, sizeof clock));
    EXPECT_EQ(96000, clock.nCurrentRate);
    EXPECT_EQ(96000, clock.nUnitRate);
    DrvRateQuery query = {0, 88200, -1};
    ASSERT_TRUE(Send(1, IOCTL_DRV_QUERY_RATE, &query, sizeof query));
    EXPECT_EQ(1, query.nAvailable);
    query.nRate = 32000;
    ASSERT_TRUE(Send(1, IOCTL_DRV_QUERY_RATE, &query, sizeof query));
    EXPECT_EQ(0, query.nAvailable);
}

TEST_F(UnitModel, ALaggingRateChangeShowsOnlyOnceItsTimeHasCome) {
    bus.aUnit[1].nRateLagMs = 300;
    bus.nNowUs = 0xFFFF0000u;  // the clock wraps during the wait
    DrvRateValue change = {0, 96000};
    ASSERT_TRUE(Send(1, IOCTL_DRV_SET_RATE, &change, sizeof change));
    DrvClockStatus clock = {};
    DrvRateValue rate = {};
    const struct {
        uint32_t nAfterUs;
        int32_t nWant;
    } kReads[] = {{0, 48000}, {299999, 48000}, {300000, 96000}, {900000, 96000}};
    for (const auto& read : kReads) {
        bus.nNowUs = 0xFFFF0000u + read.nAfterUs;
        ASSERT_TRUE(Send(1, IOCTL_DRV_GET_CLOCK, &clock, sizeof clock));
        EXPECT_EQ(read.nWant, clock.nCurrentRate) << read.nAfterUs << " us after";
        EXPECT_EQ(read.nWant, clock.nUnitRate) << read.nAfterUs << " us after";
        ASSERT_TRUE(Send(1, IOCTL_DRV_GET_RATE, &rate, sizeof rate));
        EXPECT_EQ(read.nWant, rate.nRate) << read.nAfterUs << " us after";
    }
    // A later change replaces one still under way; one not offered changes nothing.
    change.nRate = 44100;
    ASSERT_TRUE(Send(1, IOCTL_DRV_SET_RATE, &change, sizeof change));
    change.nRate = 192000;
    ASSERT_TRUE(Send(1, IOCTL_DRV_SET_RATE, &change, sizeof change));
    bus.nNowUs += 300000;
    ASSERT_TRUE(Send(1, IOCTL_DRV_GET_CLOCK, &clock, sizeof clock));
    EXPECT_EQ(44100, clock.nCurrentRate);
}

TEST_F(UnitModel, LogKeepsSentAndAnsweredBytesAndCountsWhatDoesNotFit) {
    int32_t word = 0;
    bus.aUnit[1].nInUse = 6;
    ASSERT_TRUE(Send(1, IOCTL_DRV_GET_IN_USE, &word, sizeof word));
    ASSERT_EQ(1, bus.nLog);
    EXPECT_EQ(0, sim::GetWord(bus.aLog[0].abSent));
    EXPECT_EQ(6, sim::GetWord(bus.aLog[0].abAnswered));
    EXPECT_EQ(4u, bus.aLog[0].nSize);
    for (int i = 1; i < sim::kLogEntries + 2; ++i)
        sim::Open(&bus, 1);
    EXPECT_EQ(sim::kLogEntries, bus.nLog);
    EXPECT_EQ(2, bus.nLogDropped);
}

// A handle kept across ticks shows as the fewest open, however many others open and close.
TEST_F(UnitModel, HandleCountsKeepTheFewestOpenSinceTheyWereLastTaken) {
    bus.nNowUs = 1234;
    ASSERT_TRUE(sim::Open(&bus, 1));
    EXPECT_EQ(1234u, bus.aLog[0].nTimeUs);
    EXPECT_FALSE(sim::Open(&bus, 0)) << "a refused open gives no handle";
    sim::Close(&bus);
    EXPECT_EQ(0u, sim::TakeHandleCounts(&bus).nFewestOpen);

    ASSERT_TRUE(sim::Open(&bus, 1));  // kept
    EXPECT_EQ(0u, sim::TakeHandleCounts(&bus).nFewestOpen) << "none was open when it began";
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(sim::Open(&bus, 1));
        sim::Close(&bus);
    }
    sim::HandleCounts counts = sim::TakeHandleCounts(&bus);
    EXPECT_EQ(5u, counts.nOpened);
    EXPECT_EQ(4u, counts.nClosed);
    EXPECT_EQ(1u, counts.nFewestOpen);

    sim::Close(&bus);
    EXPECT_EQ(0u, sim::TakeHandleCounts(&bus).nFewestOpen) << "the kept one closed at last";
    ASSERT_TRUE(sim::Open(&bus, 1));
    sim::TakeHandleCounts(&bus);
    EXPECT_EQ(1u, sim::TakeHandleCounts(&bus).nFewestOpen) << "one open all along, no close";
}
