// The live refresh: the device and rate lists follow the units as they come and go, a picked
// rate reaches the selected unit, and every tick asks the driver everything again.
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "driver/DrvControlCodes.h"
#include "res/resource.h"
#include "sim/simctl/Scenario.h"
#include "tests/e2e/PanelSession.h"

namespace {

using e2e::Id;

const int kSupportedRates[] = {44100, 48000, 88200, 96000, 176400, 192000, 352800};

// A little-endian word of a logged buffer.
int32_t WordAt(const std::string& hex, size_t nOffset) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) {
        std::string byte = hex.substr(2 * (nOffset + static_cast<size_t>(i)), 2);
        n = (n << 8) | static_cast<uint32_t>(std::strtoul(byte.c_str(), nullptr, 16));
    }
    return static_cast<int32_t>(n);
}

// A log line as "SLOT open" or "SLOT CODE", the rate query with the rate it asks about.
std::string Step(const e2e::LogLine& line) {
    std::string step = std::to_string(line.nSlot) + " ";
    if (line.kind != "control")
        return step + line.kind;
    step += scenario::CodeName(line.nCode);
    if (line.nCode == IOCTL_DRV_QUERY_RATE)
        step += " " + std::to_string(WordAt(line.sent, 4));
    return step;
}

std::string Control(int nSlot, uint32_t nCode) {
    return std::to_string(nSlot) + " " + scenario::CodeName(nCode);
}

// One tick with factory units (one descriptor, device flag clear, no stream) in the given slots,
// the first of them selected: presence probe, clock, the seven rates, stream state of every
// unit, then the reference rate: descriptor and rate of the first unit, descriptor and flag of
// each later one (same descriptor, flag clear: not counted, so no rate asked).
std::vector<std::string> FactoryTick(const std::vector<int>& slots) {
    std::vector<std::string> tick;
    auto exchange = [&tick](int nSlot, const std::string& control) {
        tick.push_back(std::to_string(nSlot) + " open");
        tick.push_back(control);
    };
    for (int nSlot : slots)
        tick.push_back(std::to_string(nSlot) + " open");
    int nSelected = slots.front();
    exchange(nSelected, Control(nSelected, IOCTL_DRV_GET_CLOCK));
    for (int nRate : kSupportedRates) {
        exchange(nSelected, Control(nSelected, IOCTL_DRV_QUERY_RATE) + " " + std::to_string(nRate));
    }
    for (int nSlot : slots)
        exchange(nSlot, Control(nSlot, IOCTL_DRV_GET_STREAM_STATE));
    exchange(nSelected, Control(nSelected, IOCTL_DRV_GET_DESCRIPTOR));
    exchange(nSelected, Control(nSelected, IOCTL_DRV_GET_RATE));
    for (size_t i = 1; i < slots.size(); ++i) {
        exchange(slots[i], Control(slots[i], IOCTL_DRV_GET_DESCRIPTOR));
        exchange(slots[i], Control(slots[i], IOCTL_DRV_GET_DEVICE_FLAG));
    }
    return tick;
}

// How many whole ticks the log holds when it is nothing but ticks, cut anywhere at both ends
// (clearing and reading the log fall at any moment); -1 when something else is in it.
int WholeTicks(const std::vector<std::string>& log, const std::vector<std::string>& tick) {
    const size_t n = tick.size();
    for (size_t nStart = 0; nStart < n; ++nStart) {
        bool bMatches = true;
        for (size_t i = 0; i < log.size() && bMatches; ++i)
            bMatches = log[i] == tick[(nStart + i) % n];
        if (bMatches) {
            size_t nLead = (n - nStart) % n;
            return log.size() < nLead ? 0 : static_cast<int>((log.size() - nLead) / n);
        }
    }
    return -1;
}

std::string Steps(const std::vector<std::string>& steps) {
    std::string all;
    for (const std::string& step : steps)
        all += step + "\n";
    return all;
}

void ExpectOnlyTicks(const std::string& scenarioText, const std::vector<int>& slots) {
    e2e::LoadScenarioText(scenarioText);
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    e2e::Simctl({"clear-log"});
    usleep(1000000);
    std::string raw = e2e::Simctl({"log"});
    EXPECT_EQ(std::string::npos, raw.find("dropped")) << "the log ran full";
    std::vector<std::string> log;
    for (const e2e::LogLine& line : e2e::ParseLog(raw)) {
        EXPECT_TRUE(line.bOk) << line.text;
        log.push_back(Step(line));
    }
    std::vector<std::string> tick = FactoryTick(slots);
    EXPECT_GE(WholeTicks(log, tick), 2) << "one tick:\n"
                                        << Steps(tick) << "the log:\n"
                                        << Steps(log);
    EXPECT_EQ("0", panel.Close());
}

TEST(PanelRefresh, EveryTickOfOneUnitAsksEverythingAgain) {
    ExpectOnlyTicks("[slot 0]\n", {0});
}

TEST(PanelRefresh, EveryTickProbesAllFourUnits) {
    ExpectOnlyTicks("[slot 0]\n[slot 1]\n[slot 2]\n[slot 3]\n", {0, 1, 2, 3});
}

TEST(PanelRefresh, UnitsInSlotsTwoAndFourAreListedAndOnlyTheFirstIsRead) {
    e2e::LoadScenario("slots-1-3.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("0 2 0\t1\tKESTAL-3 5 9(2)\t3\tKESTAL-3 5 9(4)",
              panel->Ok("combo " + Id(IDC_CMB_DEV)));
    std::vector<e2e::LogLine> log = e2e::ReadLog();
    ASSERT_GE(log.size(), 5u);
    std::vector<std::string> start;
    for (size_t i = 0; i < 5; ++i)
        start.push_back(Step(log[i]));
    // The start-up probe, then the read: probe and request to slot 1 alone.
    EXPECT_EQ(std::vector<std::string>(
                  {"1 open", "3 open", "1 open", "1 open", Control(1, IOCTL_DRV_GET_SETTINGS)}),
              start);
    EXPECT_EQ(1u, e2e::OfCode(log, IOCTL_DRV_GET_SETTINGS).size());
    // The read goes out with the record's default words.
    std::string defaults;
    for (int32_t n : {0, 0, 5, 1, 0, 1, 0, 1, 0, 0, 1, 0, 0, 0})
        defaults += e2e::Word(n);
    EXPECT_EQ(defaults, log[4].sent.substr(2 * 280, 2 * 56));
    std::vector<e2e::LogLine> clock = e2e::OfCode(log, IOCTL_DRV_GET_CLOCK);
    ASSERT_FALSE(clock.empty());
    EXPECT_EQ(1, clock[0].nSlot) << "the first unit is selected";
    EXPECT_EQ("0", panel.Close(e2e::OkBox(e2e::kInUseText)));
}

TEST(PanelRefresh, SelectedUnitUnpluggedHandsOverToTheNextUnit) {
    e2e::LoadScenarioText("[slot 0]\n[slot 2]\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    ASSERT_EQ(0, panel.Combo(IDC_CMB_DEV).SelectedData());
    e2e::Simctl({"unplug", "0"});
    e2e::ComboState devices =
        e2e::ParseCombo(panel.WaitFor("combo " + Id(IDC_CMB_DEV), [](const std::string& answer) {
            return e2e::ParseCombo(answer).nCount == 1;
        }));
    EXPECT_EQ(1, devices.nCount);
    EXPECT_EQ(2, devices.SelectedData());
    EXPECT_TRUE(panel.Enabled(IDC_CMB_FREQ));
    e2e::Simctl({"clear-log"});
    usleep(400000);
    std::vector<e2e::LogLine> clock = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_GET_CLOCK);
    ASSERT_FALSE(clock.empty());
    for (const e2e::LogLine& line : clock)
        EXPECT_EQ(2, line.nSlot) << "the clock of the unit now selected";

    e2e::Simctl({"plug", "0"});
    devices =
        e2e::ParseCombo(panel.WaitFor("combo " + Id(IDC_CMB_DEV), [](const std::string& answer) {
            return e2e::ParseCombo(answer).nCount == 2;
        }));
    EXPECT_EQ(2, devices.nCount);
    EXPECT_EQ(2, devices.SelectedData()) << "stays selected when the first unit returns";
    EXPECT_EQ("0", panel.Close());
}

TEST(PanelRefresh, ListsAreDisabledWhileNoUnitIsPresent) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    e2e::Simctl({"unplug", "0"});
    panel.WaitFor("state " + Id(IDC_CMB_DEV),
                  [](const std::string& answer) { return answer.rfind("enabled=0", 0) == 0; });
    EXPECT_FALSE(panel.Enabled(IDC_CMB_DEV));
    EXPECT_FALSE(panel.Enabled(IDC_CMB_FREQ));
    EXPECT_EQ(0, panel.Combo(IDC_CMB_DEV).nCount);
    EXPECT_EQ(4, panel.Combo(IDC_CMB_FREQ).nCount) << "the rate list keeps its last items";
    EXPECT_EQ("--- samples (--- Hz)", panel.Text(IDC_ASIO_BUF_SIZE));
    EXPECT_EQ(e2e::kPanelTitle, panel.Text(0)) << "the dialog stays open";

    e2e::Simctl({"plug", "0"});
    panel.WaitFor("state " + Id(IDC_CMB_DEV),
                  [](const std::string& answer) { return answer.rfind("enabled=1", 0) == 0; });
    EXPECT_TRUE(panel.Enabled(IDC_CMB_DEV));
    EXPECT_TRUE(panel.Enabled(IDC_CMB_FREQ));
    EXPECT_EQ("0 1 0\t0\tKESTAL-3 5 9", panel->Ok("combo " + Id(IDC_CMB_DEV)));
    EXPECT_EQ("0", panel.Close());
}

TEST(PanelRefresh, RateListHoldsExactlyTheOfferedRates) {
    e2e::LoadScenarioText("[slot 0]\noffers = 44100 48000\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("1 2 0\t44100\t 44100 Hz\t48000\t 48000 Hz", panel->Ok("combo " + Id(IDC_CMB_FREQ)));
    EXPECT_EQ("0", panel.Close());
}

TEST(PanelRefresh, RunningRateNotOfferedSelectsNoRate) {
    e2e::LoadScenarioText(
        "[slot 0]\noffers = 44100 48000\nrate = 96000\nunit-rate = 96000\ncurrent-rate = 96000\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("-1 2 0\t44100\t 44100 Hz\t48000\t 48000 Hz", panel->Ok("combo " + Id(IDC_CMB_FREQ)));
    EXPECT_EQ("0", panel.Close());
}

TEST(PanelRefresh, PickedRateGoesToTheSelectedUnitInOneRequest) {
    e2e::LoadScenarioText("[slot 1]\n[slot 3]\n");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("pick " + Id(IDC_CMB_DEV) + " 3");
    EXPECT_EQ(3, panel.Combo(IDC_CMB_DEV).SelectedData());
    e2e::Simctl({"clear-log"});
    panel->Ok("pick " + Id(IDC_CMB_FREQ) + " 96000");
    std::vector<e2e::LogLine> log = e2e::ReadLog();
    std::vector<e2e::LogLine> changes = e2e::OfCode(log, IOCTL_DRV_SET_RATE);
    ASSERT_EQ(1u, changes.size());
    EXPECT_EQ(3, changes[0].nSlot);
    EXPECT_EQ(8u, changes[0].nSize);
    EXPECT_EQ(e2e::Word(0) + e2e::Word(96000), changes[0].sent) << "nIndex 0, the rate";
    for (const e2e::LogLine& line : log) {
        if (line.kind != "control" || line.nCode == IOCTL_DRV_SET_RATE)
            continue;
        for (uint32_t nCode :
             {IOCTL_DRV_GET_SETTINGS, IOCTL_DRV_SET_SETTINGS, IOCTL_DRV_GET_IN_USE})
            EXPECT_NE(nCode, line.nCode) << "only tick requests besides: " << line.text;
    }
    // The refresh runs again once the list has closed, and shows the unit's new rate.
    usleep(400000);
    EXPECT_EQ(96000, panel.Combo(IDC_CMB_FREQ).SelectedData());
    std::vector<e2e::LogLine> clock = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_GET_CLOCK);
    ASSERT_FALSE(clock.empty()) << "the timer runs again";
    EXPECT_EQ(3, clock.back().nSlot);
    EXPECT_EQ(96000, WordAt(clock.back().answered, 8)) << "the unit runs at the picked rate";
    EXPECT_EQ("0", panel.Close());
}

// Needs a way to keep the list open: uiprobe's "drop ID 1|0" (CB_SHOWDROPDOWN) when it has one.
TEST(PanelRefresh, NothingIsAskedWhileTheRateListIsDroppedDown) {
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    std::string answer = panel->Do("drop " + Id(IDC_CMB_FREQ) + " 1");
    if (answer.rfind("err unknown command", 0) == 0)
        GTEST_SKIP() << "uiprobe cannot keep a list dropped down";
    ASSERT_EQ(0u, answer.rfind("ok", 0)) << answer;
    EXPECT_TRUE(panel.Combo(IDC_CMB_FREQ).bDropped);
    e2e::Simctl({"clear-log"});
    usleep(700000);
    EXPECT_TRUE(e2e::ReadLog().empty()) << "no refresh while the user chooses";
    panel->Ok("drop " + Id(IDC_CMB_FREQ) + " 0");
    usleep(500000);
    EXPECT_FALSE(e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_GET_CLOCK).empty()) << "and again after";
    EXPECT_EQ("0", panel.Close());
}

}  // namespace
