// The device list and the rate list on a real drop-down combo box, against the simulated units:
// what they probe and ask, which items they make, and when they leave the items alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialog/CmbDevList.h"
#include "dialog/CmbFreqList.h"
#include "driver/DrvControlCodes.h"
#include "tests/wine/refresh/RefreshTestSupport.h"

using rftest::Bus;
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

const wchar_t kModel[] = L"KESTAL-3 5 9";

// A hidden window holding one unsorted drop-down list, as the settings template has them.
class ListControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::ResetBus(&Bus());
        m_table.Build();
        HINSTANCE hInstance = ::GetModuleHandleW(nullptr);
        m_hParent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                      hInstance, nullptr);
        m_hCombo = ::CreateWindowExW(
            0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST,
            10, 10, 150, 120, m_hParent, reinterpret_cast<HMENU>(1130), hInstance, nullptr);
        ASSERT_NE(nullptr, m_hCombo) << "error " << ::GetLastError();
    }
    void TearDown() override {
        ::DestroyWindow(m_hParent);
        EXPECT_EQ(0, sim::OpenHandleCount()) << "a control device was left open";
    }

    int AddItem(const wchar_t* pszText, LPARAM nData) {
        int nIndex = static_cast<int>(
            ::SendMessageW(m_hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszText)));
        ::SendMessageW(m_hCombo, CB_SETITEMDATA, nIndex, nData);
        return nIndex;
    }
    int CurSel() const { return static_cast<int>(::SendMessageW(m_hCombo, CB_GETCURSEL, 0, 0)); }

    DrvDevTable m_table;
    HWND m_hParent = nullptr;
    HWND m_hCombo = nullptr;
};

class DevListTest : public ListControlTest {
protected:
    void SetUp() override {
        ListControlTest::SetUp();
        m_dev.Attach(m_hCombo);
    }
    void Init() { m_dev.Init(&m_table, kModel); }

    CCmbDevList m_dev;
};

class FreqListTest : public ListControlTest {
protected:
    void SetUp() override {
        ListControlTest::SetUp();
        m_freq.Attach(m_hCombo);
        m_freq.m_pDevSlots = &m_table;
    }

    CCmbFreqList m_freq;
};

struct PresenceCase {
    const char* name;
    std::vector<int> present;
    BOOL bFirstProbe;
};

const PresenceCase kPresenceCases[] = {
    {"none", {}, FALSE},
    {"slot 0", {0}, TRUE},
    {"slot 3", {3}, TRUE},
    {"slots 1 and 2", {1, 2}, TRUE},
};

TEST_F(DevListTest, FirstProbeAfterInitReportsWhetherAnyUnitIsPresent) {
    for (const PresenceCase& row : kPresenceCases) {
        SCOPED_TRACE(row.name);
        sim::ResetBus(&Bus());
        Plug(row.present);
        Init();
        EXPECT_EQ(row.bFirstProbe, m_dev.UpdatePresence());
    }
}

TEST_F(DevListTest, ProbeWithNothingChangedReportsNoChange) {
    for (const PresenceCase& row : kPresenceCases) {
        SCOPED_TRACE(row.name);
        sim::ResetBus(&Bus());
        Plug(row.present);
        Init();
        m_dev.UpdatePresence();
        EXPECT_EQ(FALSE, m_dev.UpdatePresence());
    }
}

TEST_F(DevListTest, ProbeReportsAUnitThatCameOrWent) {
    Plug({1});
    Init();
    m_dev.UpdatePresence();
    Plug({2});
    EXPECT_EQ(TRUE, m_dev.UpdatePresence()) << "slot 2 came";
    Unplug({1});
    EXPECT_EQ(TRUE, m_dev.UpdatePresence()) << "slot 1 went";
    EXPECT_EQ(FALSE, m_dev.UpdatePresence()) << "nothing changed";
}

// No early exit once a change is seen, and a presence test sends no request.
TEST_F(DevListTest, ProbeOpensEachOfTheFourSlotsOnceInOrder) {
    Plug({0, 2});
    Init();
    sim::ClearLog(&Bus());
    m_dev.UpdatePresence();
    EXPECT_EQ("o0 !o1 o2 !o3", Trace());
}

TEST_F(DevListTest, UnitsInSlotsOneAndThreeMakeTwoItemsNumberedFromOne) {
    Plug({1, 3});
    Init();
    EXPECT_EQ(TRUE, m_dev.Fill());
    EXPECT_EQ("'KESTAL-3 5 9(2)'=1, 'KESTAL-3 5 9(4)'=3", ItemsOf(m_hCombo));
}

TEST_F(DevListTest, SlotZeroItemIsTheBareModelString) {
    Plug({0, 2});
    Init();
    m_dev.Fill();
    EXPECT_EQ("'KESTAL-3 5 9'=0, 'KESTAL-3 5 9(3)'=2", ItemsOf(m_hCombo));
}

TEST_F(DevListTest, SelectSlotTakesTheLowestPresentSlotForAnAbsentOne) {
    struct Row {
        int nAsked;
        int nExpected;
    };
    const Row kRows[] = {{0, 1}, {1, 1}, {2, 1}, {3, 3}, {-1, 1}, {4, 1}};
    Plug({1, 3});
    Init();
    m_dev.Fill();
    for (const Row& row : kRows) {
        SCOPED_TRACE("SelectSlot(" + std::to_string(row.nAsked) + ")");
        ::SendMessageW(m_hCombo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        EXPECT_EQ(row.nExpected, m_dev.SelectSlot(row.nAsked));
        EXPECT_EQ(row.nExpected, SelectedData(m_hCombo));
    }
}

TEST_F(DevListTest, SelectSlotWithNoUnitPresentReturnsMinusOneAndClearsTheSelection) {
    Init();
    AddItem(L"left from before", 0);
    ::SendMessageW(m_hCombo, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(-1, m_dev.SelectSlot(0));
    EXPECT_EQ(-1, CurSel());
}

TEST_F(DevListTest, FillLeavesTheItemsAloneWhenPresenceDidNotChange) {
    Plug({1});
    Init();
    m_dev.Fill();
    AddItem(L"sentinel", 9);
    ::SendMessageW(m_hCombo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(FALSE, m_dev.Fill());
    EXPECT_EQ("'KESTAL-3 5 9(2)'=1, 'sentinel'=9", ItemsOf(m_hCombo));
    EXPECT_EQ(1, CurSel());
}

TEST_F(DevListTest, FillWithNoUnitAtTheFirstProbeKeepsTheInitialItems) {
    Init();
    AddItem(L"initial", 0);
    EXPECT_EQ(FALSE, m_dev.Fill());
    EXPECT_EQ("'initial'=0", ItemsOf(m_hCombo));
}

TEST_F(DevListTest, FillRebuildsWhenAUnitGoes) {
    Plug({1, 3});
    Init();
    m_dev.Fill();
    Unplug({1});
    EXPECT_EQ(TRUE, m_dev.Fill());
    EXPECT_EQ("'KESTAL-3 5 9(4)'=3", ItemsOf(m_hCombo));
    Unplug({3});
    EXPECT_EQ(TRUE, m_dev.Fill());
    EXPECT_EQ("", ItemsOf(m_hCombo));
}

TEST_F(DevListTest, FindItemByDataGivesTheFirstMatchingIndex) {
    AddItem(L"a", 5);
    AddItem(L"b", 7);
    AddItem(L"c", 7);
    EXPECT_EQ(0, m_dev.FindItemByData(5));
    EXPECT_EQ(1, m_dev.FindItemByData(7));
    EXPECT_EQ(-1, m_dev.FindItemByData(9));
}

TEST_F(FreqListTest, UnitOfferingTwoRatesMakesTwoItemsWithTheRatesAsData) {
    Plug({0});
    Offer(0, {{44100, 1}, {48000, 1}});
    EXPECT_EQ(TRUE, m_freq.Fill(0));
    EXPECT_EQ("' 44100 Hz'=44100, ' 48000 Hz'=48000", ItemsOf(m_hCombo));
}

TEST_F(FreqListTest, ItemsFollowTheSupportedOrderNotTheUnitsOrder) {
    Plug({0});
    Offer(0,
          {{352800, 1}, {192000, 1}, {176400, 1}, {96000, 1}, {88200, 1}, {48000, 1}, {44100, 1}});
    m_freq.Fill(0);
    EXPECT_EQ(
        "' 44100 Hz'=44100, ' 48000 Hz'=48000, ' 88200 Hz'=88200, ' 96000 Hz'=96000, "
        "'176400 Hz'=176400, '192000 Hz'=192000, '352800 Hz'=352800",
        ItemsOf(m_hCombo));
}

TEST_F(FreqListTest, SelectByDataOfARateNotListedClearsTheSelection) {
    Plug({0});
    Offer(0, {{44100, 1}, {48000, 1}});
    m_freq.Fill(0);
    m_freq.SelectByData(48000);
    EXPECT_EQ(48000, SelectedData(m_hCombo));
    m_freq.SelectByData(96000);
    EXPECT_EQ(-1, CurSel());
}

TEST_F(FreqListTest, RatesOutsideTheSupportedSevenAreNeitherAskedNorListed) {
    Plug({0});
    Offer(0, {{32000, 1}, {44100, 1}, {384000, 1}});
    m_freq.Fill(0);
    EXPECT_EQ("' 44100 Hz'=44100", ItemsOf(m_hCombo));
    for (const sim::LogEntry* e : Requests(IOCTL_DRV_QUERY_RATE)) {
        EXPECT_NE(32000, SentWord(e, 4));
        EXPECT_NE(384000, SentWord(e, 4));
    }
}

// The unit puts its own index into every answer; each query still goes out with index 0.
TEST_F(FreqListTest, QueryAsksTheSlotAboutEachSupportedRateWithIndexZero) {
    Plug({2});
    Unit(2).nAnswerIndex = 0x5A;
    m_freq.m_nSlot = 2;
    m_freq.QueryRates();
    m_freq.QueryRates();
    const auto requests = Requests(IOCTL_DRV_QUERY_RATE);
    ASSERT_EQ(14u, requests.size());
    for (size_t i = 0; i < requests.size(); ++i) {
        SCOPED_TRACE("request " + std::to_string(i));
        EXPECT_EQ(2, requests[i]->nSlot);
        EXPECT_EQ(12u, requests[i]->nSize);
        EXPECT_EQ(0, SentWord(requests[i], 0));
        EXPECT_EQ(SUPPORTED_RATES[i % 7], SentWord(requests[i], 4));
    }
}

TEST_F(FreqListTest, QueryWithoutAValidSlotSendsNothingAndClearsTheWords) {
    struct Row {
        const char* name;
        int32_t nSlot;
        int nSetWord;  // word set before the query, -1 for none
        BOOL bChanged;
    };
    const Row kRows[] = {
        {"slot -1, all words 0", -1, -1, FALSE},
        {"slot -1, word 3 was 2", -1, 3, TRUE},
        {"slot 4, word 6 was 2", 4, 6, TRUE},
    };
    Plug({0, 1, 2, 3});
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        for (int32_t& nWord : m_freq.m_anRateState)
            nWord = 0;
        if (row.nSetWord >= 0)
            m_freq.m_anRateState[row.nSetWord] = 2;
        m_freq.m_nSlot = row.nSlot;
        sim::ClearLog(&Bus());
        EXPECT_EQ(row.bChanged, m_freq.QueryRates());
        EXPECT_EQ("", Trace());
        for (int k = 0; k < SUPPORTED_RATE_COUNT; ++k)
            EXPECT_EQ(0, m_freq.m_anRateState[k]) << "word " << k;
    }
}

TEST_F(FreqListTest, RawAvailabilityIsKeptAndAnotherNonZeroAnswerRebuilds) {
    Plug({0});
    Offer(0, {{44100, 2}});
    m_freq.Fill(0);
    EXPECT_EQ(2, m_freq.m_anRateState[0]);
    AddItem(L"sentinel", 1);
    Offer(0, {{44100, 1}});
    EXPECT_EQ(TRUE, m_freq.Fill(0));
    EXPECT_EQ(1, m_freq.m_anRateState[0]);
    EXPECT_EQ("' 44100 Hz'=44100", ItemsOf(m_hCombo));
}

TEST_F(FreqListTest, AFailingQueryCountsAsNotOffered) {
    Plug({0});
    m_freq.Fill(0);
    ASSERT_EQ("' 44100 Hz'=44100, ' 48000 Hz'=48000, ' 88200 Hz'=88200, ' 96000 Hz'=96000",
              ItemsOf(m_hCombo));
    rftest::FailNext(0, IOCTL_DRV_QUERY_RATE, 1);  // the one about 44100
    EXPECT_EQ(TRUE, m_freq.Fill(0));
    EXPECT_EQ(0, m_freq.m_anRateState[0]);
    EXPECT_EQ("' 48000 Hz'=48000, ' 88200 Hz'=88200, ' 96000 Hz'=96000", ItemsOf(m_hCombo));
}

// The answers decide, not the slot: another unit offering the same rates changes nothing.
TEST_F(FreqListTest, FillLeavesTheItemsAloneWhenTheAnswersDidNotChange) {
    Plug({0, 1});
    m_freq.Fill(0);
    AddItem(L"sentinel", 7);
    ::SendMessageW(m_hCombo, CB_SETCURSEL, 2, 0);
    const std::string before = ItemsOf(m_hCombo);
    for (int nSlot : {0, 1}) {
        SCOPED_TRACE("Fill(" + std::to_string(nSlot) + ")");
        EXPECT_EQ(FALSE, m_freq.Fill(nSlot));
        EXPECT_EQ(before, ItemsOf(m_hCombo));
        EXPECT_EQ(2, CurSel());
    }
}

}  // namespace
