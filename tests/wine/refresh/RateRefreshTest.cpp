// The rate list while the dialog runs: the user's choice of a rate, the timer around the list's
// drop-down, the running rate's selection, and the requests of one tick.
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
}  // namespace rftest
