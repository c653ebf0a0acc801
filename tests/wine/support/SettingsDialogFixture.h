// The real settings dialog, run modally in process against the simulated units: plugging and
// preparing units, reading the dialog's controls, reading the units' request log, and answering
// the message boxes the dialog shows, one after the other.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "dialog/DrvPropDlg.h"
#include "driver/DrvControlCodes.h"
#include "framework/AppStrings.h"
#include "res/resource.h"
#include "sim/InProcessSim.h"
#include "tests/wine/support/DialogScript.h"
#include "tests/wine/support/MessageBoxWatcher.h"
#include "tests/wine/support/UserInput.h"

namespace kptest {

// Offsets of the settings record's words in a unit's settings image.
constexpr int kOffOption1 = 280;
constexpr int kOffOption2 = 284;
constexpr int kOffLevel = 288;
constexpr int kOffOption3 = 292;
constexpr int kOffNoRateMatch = 296;
constexpr int kOffOffset1Enable = 300;
constexpr int kOffOffset1 = 304;
constexpr int kOffOffset2Enable = 308;
constexpr int kOffOffset2 = 312;
constexpr int kOffLevelFlag = 316;
constexpr int kOffOption4 = 320;
constexpr int kOffOption5 = 324;
constexpr int kOffOption6 = 328;
constexpr int kOffOption7 = 332;
constexpr int kRowBytes = 280;

// What a script returns with when the test itself ends a dialog that stayed open.
constexpr int kEndedByTest = 77;

inline std::wstring StringText(UINT nId) {
    std::wstring text;
    LoadStringText(nId, text);
    return text;
}

// Answers the next message boxes of this process in order, one answer each, from a helper
// thread; boxes that were there before are left alone. Stops at the first box that does not
// come within the time. Construct it just before the action that shows the boxes.
class BoxAnswers {
public:
    explicit BoxAnswers(std::vector<int> answers, DWORD nTimeoutMs = 5000)
        : m_answers(std::move(answers)), m_nTimeoutMs(nTimeoutMs), m_handled(BoxesShown(false)) {
        m_thread = std::thread([this] { Answer(); });
    }
    ~BoxAnswers() {
        if (m_thread.joinable())
            m_thread.join();
    }
    BoxAnswers(const BoxAnswers&) = delete;
    BoxAnswers& operator=(const BoxAnswers&) = delete;

    std::vector<SeenMessageBox> Wait() {
        if (m_thread.joinable())
            m_thread.join();
        return m_seen;
    }

private:
    static constexpr int kTextId = 0xFFFF;

    static BOOL CALLBACK Collect(HWND hWnd, LPARAM lParam) {
        DWORD nPid = 0;
        ::GetWindowThreadProcessId(hWnd, &nPid);
        wchar_t szClass[16] = {};
        ::GetClassNameW(hWnd, szClass, 16);
        if (nPid == ::GetCurrentProcessId() && lstrcmpW(szClass, L"#32770") == 0 &&
            ::GetDlgItem(hWnd, kTextId) != nullptr)
            reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
        return TRUE;
    }
    // Message boxes of this process; only the visible ones when bVisibleOnly.
    static std::vector<HWND> BoxesShown(bool bVisibleOnly) {
        std::vector<HWND> all;
        ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
        if (bVisibleOnly)
            all.erase(std::remove_if(all.begin(), all.end(),
                                     [](HWND h) { return !::IsWindowVisible(h); }),
                      all.end());
        return all;
    }
    HWND NextBox() const {
        const DWORD nStart = ::GetTickCount();
        while (::GetTickCount() - nStart < m_nTimeoutMs) {
            for (HWND hWnd : BoxesShown(true)) {
                if (std::find(m_handled.begin(), m_handled.end(), hWnd) == m_handled.end())
                    return hWnd;
            }
            ::Sleep(5);
        }
        return nullptr;
    }

    void Answer() {
        for (int nAnswer : m_answers) {
            HWND hBox = NextBox();
            SeenMessageBox seen;
            if (hBox != nullptr) {
                m_handled.push_back(hBox);
                seen = kptest::ReadMessageBox(hBox);
                seen.bAnswered = kptest::PressMessageBoxButton(hBox, nAnswer);
            }
            m_seen.push_back(seen);
            if (!seen.bAnswered)
                return;
        }
    }

    std::vector<int> m_answers;
    DWORD m_nTimeoutMs;
    std::vector<HWND> m_handled;
    std::vector<SeenMessageBox> m_seen;
    std::thread m_thread;
};

// The program's message box with the text of string nIdString: caption " ", exclamation mark
// and OK for MB_OK, question mark and Yes/No for MB_YESNO.
inline ::testing::AssertionResult IsAppBox(const SeenMessageBox& box, UINT nIdString,
                                           UINT nType = MB_OK) {
    if (!box.bFound)
        return ::testing::AssertionFailure()
               << "no message box (expected string " << nIdString << ")";
    const std::wstring expected = StringText(nIdString);
    const bool bYesNo = nType == MB_YESNO;
    const HICON hIcon = ::LoadIconW(nullptr, bYesNo ? IDI_QUESTION : IDI_EXCLAMATION);
    const std::vector<int> buttons =
        bYesNo ? std::vector<int>{IDYES, IDNO} : std::vector<int>{IDOK};
    std::string problems;
    if (expected.empty() || box.text != expected)
        problems += " text " + ::testing::PrintToString(box.text) + " is not that string;";
    if (box.caption != L" ")
        problems += " caption " + ::testing::PrintToString(box.caption) + " is not one blank;";
    if (box.hIcon != hIcon)
        problems += bYesNo ? " no question mark;" : " no exclamation mark;";
    if (box.buttons != buttons)
        problems += " " + std::to_string(box.buttons.size()) + " buttons, first id " +
                    (box.buttons.empty() ? std::string("none") : std::to_string(box.buttons[0])) +
                    ";";
    if (!problems.empty())
        return ::testing::AssertionFailure() << "box for string " << nIdString << ":" << problems;
    return ::testing::AssertionSuccess();
}

// Name of a control code, for readable failure messages.
inline const char* CodeName(uint32_t nCode) {
    switch (nCode) {
        case IOCTL_DRV_GET_DESCRIPTOR:
            return "GET_DESCRIPTOR";
        case IOCTL_DRV_GET_DEVICE_FLAG:
            return "GET_DEVICE_FLAG";
        case IOCTL_DRV_GET_STREAM_STATE:
            return "GET_STREAM_STATE";
        case IOCTL_DRV_GET_SETTINGS:
            return "GET_SETTINGS";
        case IOCTL_DRV_SET_SETTINGS:
            return "SET_SETTINGS";
        case IOCTL_DRV_GET_IN_USE:
            return "GET_IN_USE";
        case IOCTL_DRV_GET_RATE:
            return "GET_RATE";
        case IOCTL_DRV_SET_RATE:
            return "SET_RATE";
        case IOCTL_DRV_QUERY_RATE:
            return "QUERY_RATE";
        case IOCTL_DRV_GET_CLOCK:
            return "GET_CLOCK";
        default:
            return "?";
    }
}

class SettingsDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterControlClasses(); }

    // One unit in slot 0 with the factory settings; no stream, idle.
    void SetUp() override {
        sim::ResetBus(&Bus());
        Unit().bPresent = 1;
        dlg.m_aDevSlot.Build();
    }
    void TearDown() override { EXPECT_EQ(0, sim::OpenHandleCount()) << "a handle was left open"; }

    static sim::Bus& Bus() { return sim::InProcessBus(); }
    static sim::Unit& Unit(int nSlot = 0) { return Bus().aUnit[nSlot]; }
    static void PutSetting(int nOffset, int32_t nValue, int nSlot = 0) {
        sim::PutWord(Unit(nSlot).abSettings + nOffset, nValue);
    }
    static void FailAlways(uint32_t nCode, int nSlot = 0) {
        Unit(nSlot).anFail[sim::CodeIndex(nCode)] = -1;
    }
    // Rows nobody would invent: byte i holds i * 7 + 3.
    static void FillRecognisableRows(int nSlot = 0) {
        for (int i = 0; i < kRowBytes; ++i)
            Unit(nSlot).abSettings[i] = static_cast<uint8_t>(i * 7 + 3);
    }

    // Control requests of the log with code nCode, in order; every request when nCode is 0.
    static std::vector<const sim::LogEntry*> Requests(uint32_t nCode = 0) {
        EXPECT_EQ(0, Bus().nLogDropped) << "the request log overflowed; clear it closer to the act";
        std::vector<const sim::LogEntry*> list;
        for (int i = 0; i < Bus().nLog; ++i) {
            const sim::LogEntry& e = Bus().aLog[i];
            if (e.nKind == sim::kLogControl && (nCode == 0 || e.nCode == nCode))
                list.push_back(&e);
        }
        return list;
    }
    // Log index of the first control request with nCode, -1 when there is none.
    static int FirstIndexOf(uint32_t nCode) {
        for (int i = 0; i < Bus().nLog; ++i) {
            if (Bus().aLog[i].nKind == sim::kLogControl && Bus().aLog[i].nCode == nCode)
                return i;
        }
        return -1;
    }
    // The control requests as one line, e.g. "SET_SETTINGS GET_IN_USE".
    static std::string RequestTrace() {
        std::string text;
        for (const sim::LogEntry* e : Requests()) {
            if (!text.empty())
                text += ' ';
            text += CodeName(e->nCode);
        }
        return text.empty() ? "(none)" : text;
    }

    HWND Dlg() const { return dlg.m_hWnd; }
    HWND Item(int nID) const { return ::GetDlgItem(dlg.m_hWnd, nID); }
    std::wstring Text(int nID) const {
        wchar_t szText[256];
        std::fill(std::begin(szText), std::end(szText), L'\x7F');
        int nLen = ::GetWindowTextW(Item(nID), szText, 256);
        return std::wstring(szText, nLen > 0 ? nLen : 0);
    }
    int SliderPos() const {
        return static_cast<int>(::SendMessageW(Item(IDC_SLD_BUFFER), TBM_GETPOS, 0, 0));
    }
    int Check(int nID = IDC_BN_MATCH_ASIO_RATE) const {
        return static_cast<int>(::SendMessageW(Item(nID), BM_GETCHECK, 0, 0));
    }
    bool Enabled(int nID) const { return ::IsWindowEnabled(Item(nID)) != FALSE; }
    bool Visible(int nID) const { return ::IsWindowVisible(Item(nID)) != FALSE; }

    // What the user reads of the buffer: the size text and the two bars.
    struct Figures {
        std::wstring text, realTime, stability;
    };
    Figures ReadFigures() const {
        return {Text(IDC_ASIO_BUF_SIZE), Text(IDC_BAR_REAL_TIME), Text(IDC_BAR_STABILITY)};
    }

    static std::wstring Bar(int nCount) { return std::wstring(static_cast<size_t>(nCount), L'O'); }

    ScriptRun Run(std::vector<ScriptStep> steps, DWORD nTimeoutMs = 5000) {
        return RunModalScript(dlg, std::move(steps), nTimeoutMs);
    }
    // The last step of a script whose dialog must still be open: the test ends it.
    ScriptStep EndByTest() {
        return Do([this] { dlg.EndDialog(kEndedByTest); });
    }

    CDrvPropDlg dlg;
};

}  // namespace kptest
