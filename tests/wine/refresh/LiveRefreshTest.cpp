// The settings dialog following the units while it runs: the device and rate lists, the user's
// choices in them, the timer around the rate list's drop-down, and the requests of one tick.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "dialog/DrvPropDlg.h"
#include "driver/DrvControlCodes.h"
#include "res/resource.h"
#include "tests/wine/refresh/RefreshTestSupport.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/UserInput.h"

using kptest::Do;
using kptest::ScriptStep;
using kptest::WaitUntil;
using rftest::Bus;
using rftest::FailNext;
using rftest::IndexOfData;
using rftest::ItemsOf;
using rftest::Offer;
using rftest::Plug;
using rftest::Requests;
using rftest::SelectedData;
using rftest::SentWord;
using rftest::Trace;
using rftest::Unit;
using rftest::Unplug;

namespace {

const char kTwoUnits[] = "'KESTAL-3 5 9(2)'=1, 'KESTAL-3 5 9(4)'=3";
const char kDefaultRates[] =
    "' 44100 Hz'=44100, ' 48000 Hz'=48000, ' 88200 Hz'=88200, ' 96000 Hz'=96000";
const char kClockTemplateText[] = "EXTERNAL (Unlocked)";
constexpr DWORD kPeriodMs = 330;

std::vector<int> Slots(const std::vector<const sim::LogEntry*>& requests) {
    std::vector<int> slots;
    for (const sim::LogEntry* e : requests)
        slots.push_back(e->nSlot);
    return slots;
}

std::string Repeat(const std::string& part, int nTimes) {
    std::string text;
    for (int i = 0; i < nTimes; ++i)
        text += (i ? " " : "") + part;
    return text;
}

// Runs the dialog through the steps, then ends it as the program's failure paths do.
void RunThenEnd(CDrvPropDlg& dlg, std::vector<ScriptStep> steps, DWORD nTimeoutMs = 5000) {
    const size_t nSteps = steps.size() + 1;
    steps.push_back(Do([&dlg] { dlg.EndDialogAndStopTimer(IDCANCEL); }));
    kptest::ScriptRun run = kptest::RunModalScript(dlg, std::move(steps), nTimeoutMs);
    EXPECT_FALSE(run.bTimedOut) << "steps done: " << run.nStepsDone << " of " << nSteps;
    EXPECT_EQ(IDCANCEL, run.nResult);
}

class LiveRefreshTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kptest::RegisterControlClasses(); }
    void SetUp() override {
        sim::ResetBus(&Bus());
        m_dlg.m_aDevSlot.Build();
    }
    void TearDown() override {
        EXPECT_EQ(0, sim::OpenHandleCount()) << "a control device was left open";
    }

    void Run(std::vector<ScriptStep> steps, DWORD nTimeoutMs = 5000) {
        RunThenEnd(m_dlg, std::move(steps), nTimeoutMs);
    }

    HWND Ctl(int nID) const { return ::GetDlgItem(m_dlg.m_hWnd, nID); }
    bool Enabled(int nID) const { return ::IsWindowEnabled(Ctl(nID)) != FALSE; }
    // One refresh tick, at once and on the dialog's own thread.
    void Tick() { ::SendMessageW(m_dlg.m_hWnd, WM_TIMER, 1, 0); }
    bool Pick(int nID, int32_t nData) {
        return kptest::SelectComboItem(m_dlg.m_hWnd, nID, IndexOfData(Ctl(nID), nData));
    }

    CDrvPropDlg m_dlg;
};

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

// Nothing but the rate change goes out: the pick triggers no refresh of its own.
TEST_F(LiveRefreshTest, PickingARateSendsOneRateChangeToTheSelectedUnit) {
    Plug({1, 3});
    bool bPicked = false;
    std::string trace;
    int32_t nSentIndex = -1;
    int32_t nSentRate = 0;
    uint32_t nSize = 0;
    Run({Do([&] { Pick(IDC_CMB_DEV, 3); }), Do([&] {
             sim::ClearLog(&Bus());
             bPicked = Pick(IDC_CMB_FREQ, 44100);
             trace = Trace();
             const auto changes = Requests(IOCTL_DRV_SET_RATE);
             if (changes.size() == 1) {
                 nSentIndex = SentWord(changes[0], 0);
                 nSentRate = SentWord(changes[0], 4);
                 nSize = changes[0]->nSize;
             }
         })});
    ASSERT_TRUE(bPicked);
    EXPECT_EQ("o3 c3:222328", trace);
    EXPECT_EQ(0, nSentIndex);
    EXPECT_EQ(44100, nSentRate);
    EXPECT_EQ(8u, nSize);
}

TEST_F(LiveRefreshTest, NextTickShowsWhetherTheUnitTookTheChosenRate) {
    struct Row {
        const char* name;
        int32_t nFailures;
        int32_t nSelectedAfterTick;
    };
    const Row kRows[] = {{"taken", 0, 44100}, {"refused", 1, 48000}};
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        sim::ResetBus(&Bus());
        Plug({0});
        FailNext(0, IOCTL_DRV_SET_RATE, row.nFailures);
        int32_t nSelected = 0;
        int32_t nRunning = 0;
        CDrvPropDlg dlg;
        dlg.m_aDevSlot.Build();
        RunThenEnd(dlg, {Do([&] {
                       HWND hFreq = ::GetDlgItem(dlg.m_hWnd, IDC_CMB_FREQ);
                       kptest::SelectComboItem(dlg.m_hWnd, IDC_CMB_FREQ, IndexOfData(hFreq, 44100));
                       ::SendMessageW(dlg.m_hWnd, WM_TIMER, 1, 0);
                       nSelected = SelectedData(hFreq);
                       nRunning = Unit(0).nCurrentRate;
                   })});
        EXPECT_EQ(row.nSelectedAfterTick, nSelected);
        EXPECT_EQ(row.nSelectedAfterTick, nRunning);
    }
}

// Closing the list, with or without a choice, starts the refresh again.
TEST_F(LiveRefreshTest, NoRequestWhileTheRateListIsDroppedDown) {
    for (bool bChoose : {false, true}) {
        SCOPED_TRACE(bChoose ? "closed after a choice" : "closed without a choice");
        sim::ResetBus(&Bus());
        Plug({0});
        CDrvPropDlg dlg;
        dlg.m_aDevSlot.Build();
        HWND hDlg = nullptr;
        bool bDropped = false;
        std::string whileDropped = "?";
        std::string choice;
        size_t nClockAfterClose = 0;
        DWORD nStart = 0;
        auto elapsed = [&] { return ::GetTickCount() - nStart; };
        RunThenEnd(dlg,
                   {
                       Do([&] {
                           hDlg = dlg.m_hWnd;
                           kptest::ShowComboList(hDlg, IDC_CMB_FREQ, true);
                           bDropped = ::SendDlgItemMessageW(hDlg, IDC_CMB_FREQ, CB_GETDROPPEDSTATE,
                                                            0, 0) != FALSE;
                           sim::ClearLog(&Bus());
                           nStart = ::GetTickCount();
                       }),
                       WaitUntil([&] { return elapsed() >= 3 * kPeriodMs + kPeriodMs / 2; }),
                       Do([&] {
                           whileDropped = Trace();
                           if (bChoose) {
                               kptest::SelectComboItem(
                                   hDlg, IDC_CMB_FREQ,
                                   IndexOfData(::GetDlgItem(hDlg, IDC_CMB_FREQ), 44100));
                               choice = Trace();
                           }
                           kptest::ShowComboList(hDlg, IDC_CMB_FREQ, false);
                           sim::ClearLog(&Bus());
                           nStart = ::GetTickCount();
                       }),
                       WaitUntil([&] {
                           return !Requests(IOCTL_DRV_GET_CLOCK).empty() ||
                                  elapsed() > 4 * kPeriodMs;
                       }),
                       Do([&] { nClockAfterClose = Requests(IOCTL_DRV_GET_CLOCK).size(); }),
                   },
                   10000);
        ASSERT_TRUE(bDropped) << "the list did not drop down";
        EXPECT_EQ("", whileDropped);
        if (bChoose) {
            EXPECT_EQ("o0 c0:222328", choice);
        }
        EXPECT_GE(nClockAfterClose, 1u) << "no refresh within " << 4 * kPeriodMs << " ms";
    }
}

TEST_F(LiveRefreshTest, FailedClockQuerySkipsTheRestOfTheTick) {
    Plug({0});
    std::string itemsAfterFailure;
    int32_t nSelectedAfterFailure = 0;
    size_t nRateQueries = 99;
    std::string itemsNextTick;
    int32_t nSelectedNextTick = 0;
    Run({Do([&] {
        Offer(0, {{44100, 1}});
        Unit(0).nCurrentRate = 44100;
        FailNext(0, IOCTL_DRV_GET_CLOCK, 1);
        sim::ClearLog(&Bus());
        Tick();
        itemsAfterFailure = ItemsOf(Ctl(IDC_CMB_FREQ));
        nSelectedAfterFailure = SelectedData(Ctl(IDC_CMB_FREQ));
        nRateQueries = Requests(IOCTL_DRV_QUERY_RATE).size();
        Tick();
        itemsNextTick = ItemsOf(Ctl(IDC_CMB_FREQ));
        nSelectedNextTick = SelectedData(Ctl(IDC_CMB_FREQ));
    })});
    EXPECT_EQ(kDefaultRates, itemsAfterFailure);
    EXPECT_EQ(48000, nSelectedAfterFailure);
    EXPECT_EQ(0u, nRateQueries);
    EXPECT_EQ("' 44100 Hz'=44100", itemsNextTick);
    EXPECT_EQ(44100, nSelectedNextTick);
}

TEST_F(LiveRefreshTest, RunningRateSelectsItsItemOrNoneWhenNotOffered) {
    struct Row {
        int32_t nRunning;
        int32_t nSelected;
    };
    const Row kRows[] = {{44100, 44100}, {96000, -1}, {48000, 48000}};
    Plug({0});
    Offer(0, {{44100, 1}, {48000, 1}});
    std::vector<int32_t> selected;
    Run({Do([&] {
        for (const Row& row : kRows) {
            Unit(0).nCurrentRate = row.nRunning;
            Tick();
            selected.push_back(SelectedData(Ctl(IDC_CMB_FREQ)));
        }
    })});
    ASSERT_EQ(std::size(kRows), selected.size());
    for (size_t i = 0; i < selected.size(); ++i)
        EXPECT_EQ(kRows[i].nSelected, selected[i]) << "running at " << kRows[i].nRunning;
}

// Code selects items without a notification, so no tick changes the unit's rate.
TEST_F(LiveRefreshTest, RefreshNeverChangesTheRateByItself) {
    const std::function<void()> kChanges[] = {
        [] {
            Offer(0, {{44100, 1}});
        },
        [] { Unit(0).nCurrentRate = 44100; },
        [] {
            Offer(0, {{44100, 1}, {48000, 1}});
        },
        [] { Unit(0).nCurrentRate = 48000; },
        [] { Plug({2}); },
        [] { Unplug({0}); },
    };
    Plug({0});
    Unit(2).nCurrentRate = 88200;
    std::vector<int32_t> selected;
    size_t nChanges = 99;
    Run({Do([&] {
        sim::ClearLog(&Bus());
        for (const auto& change : kChanges) {
            change();
            Tick();
            selected.push_back(SelectedData(Ctl(IDC_CMB_FREQ)));
        }
        nChanges = Requests(IOCTL_DRV_SET_RATE).size();
    })});
    EXPECT_EQ(std::vector<int32_t>({-1, 44100, 44100, 48000, 48000, 88200}), selected)
        << "the selection should follow the running rate";
    EXPECT_EQ(0u, nChanges);
}

// A tick asks each of its queries once, in order; nothing is kept from the last tick.
TEST_F(LiveRefreshTest, OneTickMakesEachRequestOnceInOrder) {
    const std::string kRates = Repeat("o0 c0:22232C", 7);
    struct Row {
        const char* name;
        std::vector<int> units;
        int nStreamSlot;  // -1: no stream
        int nOpens;       // attempts to open a control device
        int nRequests;
        std::string expected;
    };
    const Row kRows[] = {
        {"unit 0, no stream",
         {0},
         -1,
         21,
         11,
         "o0 !o1 !o2 !o3 o0 c0:222340 " + kRates +
             " o0 c0:222160 !o1 !o2 !o3"
             " o0 c0:22203C o0 c0:222324 !o1 !o2 !o3"},
        {"unit 0, stream running",
         {0},
         0,
         13,
         9,
         "o0 !o1 !o2 !o3 o0 c0:222340 " + kRates + " o0 c0:222160"},
        {"units 0 and 2, no stream",
         {0, 2},
         -1,
         22,
         14,
         "o0 !o1 o2 !o3 o0 c0:222340 " + kRates +
             " o0 c0:222160 !o1 o2 c2:222160 !o3"
             " o0 c0:22203C o0 c0:222324 !o1 o2 c2:22203C o2 c2:222044 !o3"},
        {"units 0 and 2, stream on 2",
         {0, 2},
         2,
         15,
         10,
         "o0 !o1 o2 !o3 o0 c0:222340 " + kRates + " o0 c0:222160 !o1 o2 c2:222160"},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        sim::ResetBus(&Bus());
        Plug(row.units);
        if (row.nStreamSlot >= 0) {
            Unit(row.nStreamSlot).nStreamActive = 1;
            Unit(row.nStreamSlot).nStreamRate = 44100;
        }
        std::string trace;
        int nOpens = 0;
        int nRequests = 0;
        CDrvPropDlg dlg;
        dlg.m_aDevSlot.Build();
        RunThenEnd(dlg, {Do([&] {
                       sim::ClearLog(&Bus());
                       ::SendMessageW(dlg.m_hWnd, WM_TIMER, 1, 0);
                       trace = Trace();
                       nOpens = rftest::OpenCount();
                       nRequests = rftest::ControlRequestCount();
                   })});
        EXPECT_EQ(row.nOpens, nOpens) << "attempts to open";
        EXPECT_EQ(row.nRequests, nRequests) << "requests";
        EXPECT_EQ(row.expected, trace);
    }
}

// The clock record goes back as the last answer left it; every other query starts from index 0.
TEST_F(LiveRefreshTest, ClockQuerySendsBackTheLastAnswerAndTheOthersIndexZero) {
    Plug({0});
    Unit(0).nAnswerIndex = 0x2A;
    Unit(0).nUnitRate = 44100;
    int32_t nFirstClockIndex = -1;
    std::vector<int32_t> clockSent;
    std::vector<int32_t> otherIndexes;
    Run({Do([&] {
        const auto initClocks = Requests(IOCTL_DRV_GET_CLOCK);
        if (!initClocks.empty())
            nFirstClockIndex = SentWord(initClocks[0], 0);
        sim::ClearLog(&Bus());
        Tick();
        for (const sim::LogEntry* clock : Requests(IOCTL_DRV_GET_CLOCK))
            clockSent = {SentWord(clock, 0), SentWord(clock, 4), SentWord(clock, 8)};
        for (uint32_t nCode : {IOCTL_DRV_QUERY_RATE, IOCTL_DRV_GET_STREAM_STATE,
                               IOCTL_DRV_GET_DESCRIPTOR, IOCTL_DRV_GET_RATE}) {
            for (const sim::LogEntry* e : Requests(nCode))
                otherIndexes.push_back(SentWord(e, 0));
        }
    })});
    EXPECT_EQ(0, nFirstClockIndex);
    EXPECT_EQ(std::vector<int32_t>({0x2A, 44100, 48000}), clockSent);
    EXPECT_EQ(std::vector<int32_t>(10, 0), otherIndexes);
}

// The clock text is hidden in this template, so no clock state may reach it.
TEST_F(LiveRefreshTest, HiddenClockTextKeepsItsTemplateText) {
    struct Row {
        const char* name;
        std::function<void()> change;
    };
    const Row kRows[] = {
        {"internal", [] { Unit(0).bExternal = 0; }},
        {"external, locked",
         [] {
             Unit(0).bExternal = 1;
             Unit(0).bLocked = 1;
             Unit(0).nUnitRate = 96000;
         }},
        {"external, unlocked",
         [] {
             Unit(0).bExternal = 1;
             Unit(0).bLocked = 0;
         }},
        {"unit gone", [] { Unplug({0}); }},
        {"unit back", [] { Plug({0}); }},
    };
    Plug({0});
    std::vector<std::string> texts;
    std::vector<bool> visible;
    Run({Do([&] {
        for (const Row& row : kRows) {
            row.change();
            Tick();
            texts.push_back(rftest::WindowText(Ctl(IDC_CLOCK_STATE)));
            visible.push_back(::IsWindowVisible(Ctl(IDC_CLOCK_STATE)) != FALSE);
        }
    })});
    ASSERT_EQ(std::size(kRows), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(kRows[i].name);
        EXPECT_EQ(kClockTemplateText, texts[i]);
        EXPECT_FALSE(visible[i]);
    }
}

}  // namespace
