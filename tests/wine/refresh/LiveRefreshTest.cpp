// The settings dialog following the units while it runs: which units the device list shows,
// which one is selected as they come and go, and the user's choice of a unit.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "driver/DrvControlCodes.h"
#include "tests/wine/refresh/LiveRefreshFixture.h"

using kptest::Do;
using kptest::WaitUntil;

namespace rftest {
namespace {

TEST_F(LiveRefreshTest, FirstRefreshListsTheUnitsAndSelectsTheLowestSlot) {
    Plug({1, 3});
    std::string items;
    int32_t nSelected = 0;
    int nFirstClockSlot = -1;
    Run({Do([&] {
        items = ItemsOf(Ctl(IDC_CMB_DEV));
        nSelected = SelectedData(Ctl(IDC_CMB_DEV));
        const auto clocks = Requests(IOCTL_DRV_GET_CLOCK);
        if (!clocks.empty())
            nFirstClockSlot = clocks[0]->nSlot;
    })});
    EXPECT_EQ(kTwoUnits, items);
    EXPECT_EQ(1, nSelected);
    EXPECT_EQ(1, nFirstClockSlot) << "slot asked for its clock by the first refresh";
}

TEST_F(LiveRefreshTest, SelectedUnitGoneHandsOverToTheNextPresentOneWithinOneTick) {
    Plug({1, 3});
    std::string items;
    int32_t nSelected = 0;
    std::vector<int> clockSlots;
    Run({Do([&] {
        Unplug({1});
        sim::ClearLog(&Bus());
        Tick();
        items = ItemsOf(Ctl(IDC_CMB_DEV));
        nSelected = SelectedData(Ctl(IDC_CMB_DEV));
        clockSlots = Slots(Requests(IOCTL_DRV_GET_CLOCK));
    })});
    EXPECT_EQ("'KESTAL-3 5 9(4)'=3", items);
    EXPECT_EQ(3, nSelected);
    EXPECT_EQ(std::vector<int>({3}), clockSlots);
}

TEST_F(LiveRefreshTest, UnitThatTookOverStaysSelectedWhenTheFirstReturns) {
    Plug({1, 3});
    std::string items;
    int32_t nSelected = 0;
    Run({Do([&] {
        Unplug({1});
        Tick();
        Plug({1});
        Tick();
        items = ItemsOf(Ctl(IDC_CMB_DEV));
        nSelected = SelectedData(Ctl(IDC_CMB_DEV));
    })});
    EXPECT_EQ(kTwoUnits, items);
    EXPECT_EQ(3, nSelected);
}

TEST_F(LiveRefreshTest, AllUnitsGoneDisablesBothListsAndTheRateListKeepsItsItems) {
    Plug({0});
    bool bDevEnabled = true;
    bool bFreqEnabled = true;
    int32_t nDevSel = 0;
    std::string devItems = "?";
    std::string freqItems;
    int nRequests = -1;
    Run({Do([&] {
        Unplug({0});
        sim::ClearLog(&Bus());
        Tick();
        bDevEnabled = Enabled(IDC_CMB_DEV);
        bFreqEnabled = Enabled(IDC_CMB_FREQ);
        nDevSel = SelectedData(Ctl(IDC_CMB_DEV));
        devItems = ItemsOf(Ctl(IDC_CMB_DEV));
        freqItems = ItemsOf(Ctl(IDC_CMB_FREQ));
        nRequests = rftest::ControlRequestCount();
    })});
    EXPECT_FALSE(bDevEnabled);
    EXPECT_FALSE(bFreqEnabled);
    EXPECT_EQ(-1, nDevSel);
    EXPECT_EQ("", devItems);
    EXPECT_EQ(kDefaultRates, freqItems);
    EXPECT_EQ(0, nRequests) << Trace();
}

TEST_F(LiveRefreshTest, UnitsBackEnableTheListsAndSelectTheLowestPresentSlot) {
    Plug({2});
    bool bDevEnabled = false;
    bool bFreqEnabled = false;
    int32_t nSelected = -1;
    Run({Do([&] {
        Unplug({2});
        Tick();
        Plug({3, 1});
        Tick();
        bDevEnabled = Enabled(IDC_CMB_DEV);
        bFreqEnabled = Enabled(IDC_CMB_FREQ);
        nSelected = SelectedData(Ctl(IDC_CMB_DEV));
    })});
    EXPECT_TRUE(bDevEnabled);
    EXPECT_TRUE(bFreqEnabled);
    EXPECT_EQ(1, nSelected);
}

// The unit answers the settings read and is gone by the first refresh.
TEST_F(LiveRefreshTest, NoUnitAtTheFirstRefreshLeavesTheListsDisabledUntilOneComes) {
    Plug({0});
    Unit(0).nOpensLeft = 2;  // the presence test and the request of the settings read
    bool bEnabledAtFirst = true;
    int32_t nDevSelAtFirst = 0;
    std::string itemsAtFirst = "?";
    bool bEnabledLater = false;
    int32_t nDevSelLater = -1;
    std::string itemsLater;
    Run({Do([&] {
        bEnabledAtFirst = Enabled(IDC_CMB_DEV) || Enabled(IDC_CMB_FREQ);
        nDevSelAtFirst = SelectedData(Ctl(IDC_CMB_DEV));
        itemsAtFirst = ItemsOf(Ctl(IDC_CMB_DEV));
        Unit(0).nOpensLeft = -1;
        Tick();
        bEnabledLater = Enabled(IDC_CMB_DEV) && Enabled(IDC_CMB_FREQ);
        nDevSelLater = SelectedData(Ctl(IDC_CMB_DEV));
        itemsLater = ItemsOf(Ctl(IDC_CMB_DEV));
    })});
    EXPECT_FALSE(bEnabledAtFirst);
    EXPECT_EQ(-1, nDevSelAtFirst);
    EXPECT_EQ("", itemsAtFirst);
    EXPECT_TRUE(bEnabledLater);
    EXPECT_EQ(0, nDevSelLater);
    EXPECT_EQ("'KESTAL-3 5 9'=0", itemsLater);
}

TEST_F(LiveRefreshTest, TickWithNothingChangedRebuildsNeitherList) {
    Plug({0});
    std::string devItems;
    std::string freqItems;
    Run({Do([&] {
        for (int nID : {IDC_CMB_DEV, IDC_CMB_FREQ}) {
            LRESULT nIndex =
                ::SendMessageW(Ctl(nID), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"sentinel"));
            ::SendMessageW(Ctl(nID), CB_SETITEMDATA, nIndex, 77);
        }
        Tick();
        devItems = ItemsOf(Ctl(IDC_CMB_DEV));
        freqItems = ItemsOf(Ctl(IDC_CMB_FREQ));
    })});
    EXPECT_EQ("'KESTAL-3 5 9'=0, 'sentinel'=77", devItems);
    EXPECT_EQ(std::string(kDefaultRates) + ", 'sentinel'=77", freqItems);
}

TEST_F(LiveRefreshTest, ChoosingAUnitRefreshesAtOnce) {
    Plug({1, 3});
    Offer(3, {{44100, 1}});
    Unit(3).nCurrentRate = 44100;
    bool bPicked = false;
    int32_t nDevSel = 0;
    std::vector<int> clockSlots;
    std::string freqItems;
    int32_t nRateSelected = 0;
    Run({Do([&] {
        sim::ClearLog(&Bus());
        bPicked = Pick(IDC_CMB_DEV, 3);
        nDevSel = SelectedData(Ctl(IDC_CMB_DEV));
        clockSlots = Slots(Requests(IOCTL_DRV_GET_CLOCK));
        freqItems = ItemsOf(Ctl(IDC_CMB_FREQ));
        nRateSelected = SelectedData(Ctl(IDC_CMB_FREQ));
    })});
    ASSERT_TRUE(bPicked);
    EXPECT_EQ(3, nDevSel);
    EXPECT_EQ(std::vector<int>({3}), clockSlots);
    EXPECT_EQ("' 44100 Hz'=44100", freqItems);
    EXPECT_EQ(44100, nRateSelected);
}

}  // namespace
}  // namespace rftest
