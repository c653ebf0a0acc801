// Message maps: every kind of entry is reached by the message a user's action produces, the
// class's own entries come before its base's, and what no entry takes gets the default dialog
// handling.
#include <gtest/gtest.h>

#include "framework/Dialog.h"
#include "framework/SliderCtrl.h"
#include "tests/wine/framework/FrameworkTestRes.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/UserInput.h"

#include <iterator>
#include <vector>

using kptest::Do;
using kptest::RunModalScript;
using kptest::ScriptRun;
using kptest::WaitUntil;

namespace {

class MessageMapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kptest::RegisterControlClasses(); }
};

// A base with entries of its own, to show the chain.
class CMapBaseDlg : public CDialog {
public:
    CMapBaseDlg() : CDialog(IDD_FW_TEST) {}
    const MsgMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MsgMap* GetThisMessageMap();

    int m_nBasePress = 0;
    int m_nBaseCheck = 0;

protected:
    void OnBnClickedPressInBase() { ++m_nBasePress; }
    void OnBnClickedCheckInBase() { ++m_nBaseCheck; }
};

const MsgMap* CMapBaseDlg::GetThisMessageMap() {
    static const MsgMapEntry kEntries[] = {
        MapBnClicked(IDC_FW_PRESS, &CMapBaseDlg::OnBnClickedPressInBase),
        MapBnClicked(IDC_FW_CHECK, &CMapBaseDlg::OnBnClickedCheckInBase),
    };
    static const MsgMap kMap = {&CDialog::GetThisMessageMap, kEntries, std::size(kEntries)};
    return &kMap;
}

struct HScrollCall {
    UINT nSBCode;
    UINT nPos;
    HWND hScrollBar;
};

class CMapProbeDlg : public CMapBaseDlg {
public:
    const MsgMap* GetMessageMap() const override { return GetThisMessageMap(); }
    static const MsgMap* GetThisMessageMap();

    int m_nCheck = 0;
    int m_nSelchange = 0;
    int m_nDropdown = 0;
    int m_nCloseup = 0;
    std::vector<HScrollCall> m_hscrolls;
    std::vector<UINT_PTR> m_timers;
    int m_nCtlColorStatic = 0;
    HWND m_hLastCtlColor = nullptr;
    HBRUSH m_hOwnBrush = nullptr;  // when set, OnCtlColor returns it for the static
    HBRUSH m_hBaseBrush = nullptr;

protected:
    BOOL OnInitDialog() override {
        CMapBaseDlg::OnInitDialog();
        ::SendDlgItemMessageW(m_hWnd, IDC_FW_COMBO, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(L"a"));
        ::SendDlgItemMessageW(m_hWnd, IDC_FW_COMBO, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(L"b"));
        SetTimer(7, 20);
        return TRUE;
    }
    void OnBnClickedCheck() { ++m_nCheck; }
    void OnCbnSelchangeCombo() { ++m_nSelchange; }
    void OnCbnDropdownCombo() { ++m_nDropdown; }
    void OnCbnCloseupCombo() { ++m_nCloseup; }
    void OnHScroll(UINT nSBCode, UINT nPos, HWND hScrollBar) {
        m_hscrolls.push_back({nSBCode, nPos, hScrollBar});
        CDialog::OnHScroll(nSBCode, nPos, hScrollBar);
    }
    void OnTimer(UINT_PTR nIDEvent) {
        m_timers.push_back(nIDEvent);
        KillTimer(nIDEvent);
        CDialog::OnTimer(nIDEvent);
    }
    HBRUSH OnCtlColor(HDC hDC, HWND hCtl, UINT nCtlColor) {
        m_hBaseBrush = CDialog::OnCtlColor(hDC, hCtl, nCtlColor);
        if (nCtlColor == CTLCOLOR_STATIC && ::GetDlgCtrlID(hCtl) == IDC_FW_STATIC) {
            ++m_nCtlColorStatic;
            m_hLastCtlColor = hCtl;
            if (m_hOwnBrush != nullptr) {
                return m_hOwnBrush;
            }
        }
        return m_hBaseBrush;
    }
};

const MsgMap* CMapProbeDlg::GetThisMessageMap() {
    static const MsgMapEntry kEntries[] = {
        MapBnClicked(IDC_FW_CHECK, &CMapProbeDlg::OnBnClickedCheck),
        MapCbnSelchange(IDC_FW_COMBO, &CMapProbeDlg::OnCbnSelchangeCombo),
        MapCbnDropdown(IDC_FW_COMBO, &CMapProbeDlg::OnCbnDropdownCombo),
        MapCbnCloseup(IDC_FW_COMBO, &CMapProbeDlg::OnCbnCloseupCombo),
        MapHScroll(&CMapProbeDlg::OnHScroll),
        MapTimer(&CMapProbeDlg::OnTimer),
        MapCtlColor(&CMapProbeDlg::OnCtlColor),
    };
    static const MsgMap kMap = {&CMapBaseDlg::GetThisMessageMap, kEntries, std::size(kEntries)};
    return &kMap;
}

// Runs the probe with the steps, then closes it.
ScriptRun RunProbe(CMapProbeDlg& dlg, std::vector<kptest::ScriptStep> steps) {
    steps.push_back(Do([&dlg] { dlg.EndDialog(IDOK); }));
    return RunModalScript(dlg, std::move(steps));
}

TEST_F(MessageMapTest, ButtonClickReachesTheClassEntryBeforeTheBaseEntry) {
    CMapProbeDlg dlg;
    ScriptRun run =
        RunProbe(dlg, {Do([&] { EXPECT_TRUE(kptest::ClickButton(dlg.m_hWnd, IDC_FW_CHECK)); })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(1, dlg.m_nCheck);
    EXPECT_EQ(0, dlg.m_nBaseCheck) << "shadowed by the class's own entry";
}

TEST_F(MessageMapTest, ButtonClickReachesAnEntryOfTheBaseMap) {
    CMapProbeDlg dlg;
    RunProbe(dlg, {Do([&] { EXPECT_TRUE(kptest::ClickButton(dlg.m_hWnd, IDC_FW_PRESS)); })});
    EXPECT_EQ(1, dlg.m_nBasePress);
}

TEST_F(MessageMapTest, OKButtonReachesOnOKThroughTheWholeChain) {
    CMapProbeDlg dlg;
    ScriptRun run = RunModalScript(dlg, {Do([&] { kptest::ClickButton(dlg.m_hWnd, IDOK); })});
    EXPECT_FALSE(run.bTimedOut);
    EXPECT_EQ(IDOK, run.nResult);
}

TEST_F(MessageMapTest, DisabledButtonIsNotClickedByTheHarness) {
    CMapProbeDlg dlg;
    RunProbe(dlg, {Do([&] { EXPECT_FALSE(kptest::ClickButton(dlg.m_hWnd, IDC_FW_DISABLED)); })});
}

TEST_F(MessageMapTest, SelectionChangeReachesItsEntry) {
    CMapProbeDlg dlg;
    RunProbe(dlg, {Do([&] { EXPECT_TRUE(kptest::SelectComboItem(dlg.m_hWnd, IDC_FW_COMBO, 1)); })});
    EXPECT_EQ(1, dlg.m_nSelchange);
    EXPECT_EQ(0, dlg.m_nDropdown);
}

TEST_F(MessageMapTest, OpeningAndClosingTheListReachTheirEntries) {
    CMapProbeDlg dlg;
    RunProbe(dlg, {Do([&] { EXPECT_TRUE(kptest::ShowComboList(dlg.m_hWnd, IDC_FW_COMBO, true)); }),
                   Do([&] {
                       EXPECT_EQ(1, dlg.m_nDropdown);
                       EXPECT_EQ(0, dlg.m_nCloseup);
                       EXPECT_TRUE(kptest::ShowComboList(dlg.m_hWnd, IDC_FW_COMBO, false));
                   })});
    EXPECT_EQ(1, dlg.m_nDropdown);
    EXPECT_EQ(1, dlg.m_nCloseup);
    EXPECT_EQ(0, dlg.m_nSelchange);
}

TEST_F(MessageMapTest, SliderDragReachesTheScrollEntryWithCodePositionAndControl) {
    CMapProbeDlg dlg;
    HWND hSlider = nullptr;
    RunProbe(dlg, {Do([&] {
                 hSlider = ::GetDlgItem(dlg.m_hWnd, IDC_FW_SLIDER);
                 EXPECT_TRUE(kptest::DragSlider(dlg.m_hWnd, IDC_FW_SLIDER, 3));
             })});
    ASSERT_EQ(3u, dlg.m_hscrolls.size());
    const UINT codes[] = {TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK};
    const UINT positions[] = {3, 3, 0};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(codes[i], dlg.m_hscrolls[i].nSBCode) << "call " << i;
        EXPECT_EQ(positions[i], dlg.m_hscrolls[i].nPos) << "call " << i;
        EXPECT_EQ(hSlider, dlg.m_hscrolls[i].hScrollBar) << "call " << i;
    }
}

TEST_F(MessageMapTest, TimerTickReachesTheTimerEntry) {
    CMapProbeDlg dlg;
    ScriptRun run = RunProbe(dlg, {WaitUntil([&] { return !dlg.m_timers.empty(); })});
    EXPECT_FALSE(run.bTimedOut);
    ASSERT_EQ(1u, dlg.m_timers.size());
    EXPECT_EQ(7u, dlg.m_timers[0]);
}

TEST_F(MessageMapTest, PaintingAStaticReachesTheCtlColorEntry) {
    CMapProbeDlg dlg;
    RunProbe(dlg, {Do([&] {
                 dlg.m_nCtlColorStatic = 0;
                 ::RedrawWindow(::GetDlgItem(dlg.m_hWnd, IDC_FW_STATIC), nullptr, nullptr,
                                RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                 EXPECT_GE(dlg.m_nCtlColorStatic, 1);
                 EXPECT_EQ(::GetDlgItem(dlg.m_hWnd, IDC_FW_STATIC), dlg.m_hLastCtlColor);
             })});
}

TEST_F(MessageMapTest, CtlColorEntryDecidesTheBrush) {
    CMapProbeDlg dlg;
    HBRUSH hOwn = ::CreateSolidBrush(RGB(1, 2, 3));
    dlg.m_hOwnBrush = hOwn;
    LRESULT nBrush = 0;
    RunProbe(dlg, {Do([&] {
                 HDC hDC = ::GetDC(dlg.m_hWnd);
                 nBrush = ::SendMessageW(
                     dlg.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                     reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDC_FW_STATIC)));
                 ::ReleaseDC(dlg.m_hWnd, hDC);
             })});
    EXPECT_EQ(reinterpret_cast<LRESULT>(hOwn), nBrush);
    ::DeleteObject(hOwn);
}

// No entries of its own: everything goes to CDialog and the default dialog handling.
class CPlainDlg : public CDialog {
public:
    CPlainDlg() : CDialog(IDD_FW_TEST) {}
};

LRESULT SendCtlColorStatic(HWND hDlg) {
    HDC hDC = ::GetDC(hDlg);
    LRESULT nBrush = ::SendMessageW(hDlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                    reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, IDC_FW_STATIC)));
    ::ReleaseDC(hDlg, hDC);
    return nBrush;
}

TEST_F(MessageMapTest, BaseCtlColorGivesWhatTheDefaultDialogHandlingGives) {
    CPlainDlg plain;
    LRESULT nDefault = 0;
    RunModalScript(plain, {Do([&] {
                       nDefault = SendCtlColorStatic(plain.m_hWnd);
                       plain.EndDialog(IDOK);
                   })});
    CMapProbeDlg dlg;
    LRESULT nMapped = 0;
    RunProbe(dlg, {Do([&] { nMapped = SendCtlColorStatic(dlg.m_hWnd); })});
    EXPECT_NE(0, nDefault);
    EXPECT_EQ(nDefault, nMapped);
    EXPECT_EQ(nDefault, reinterpret_cast<LRESULT>(dlg.m_hBaseBrush));
}

TEST_F(MessageMapTest, UnmatchedMessagesGetTheDefaultDialogHandling) {
    CMapProbeDlg dlg;
    LRESULT nDefId = 0;
    RunProbe(dlg, {Do([&] {
                 nDefId = ::SendMessageW(dlg.m_hWnd, DM_GETDEFID, 0, 0);
                 // A notification nobody maps changes nothing.
                 ::SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_FW_COMBO, CBN_EDITCHANGE),
                                reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDC_FW_COMBO)));
             })});
    EXPECT_EQ(MAKELRESULT(IDOK, DC_HASDEFID), nDefId);
    EXPECT_EQ(0, dlg.m_nSelchange);
    EXPECT_EQ(0, dlg.m_nDropdown);
    EXPECT_EQ(0, dlg.m_nCloseup);
}

}  // namespace
