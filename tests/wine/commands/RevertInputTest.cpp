// Escape and a close request revert and keep the dialog open; the mouse wheel changes nothing.
#include "tests/wine/support/SettingsDialogFixture.h"

#include <ostream>

namespace {

using kptest::Do;
using kptest::kEndedByTest;
using kptest::ScriptRun;
using kptest::WaitUntil;

struct RevertCase {
    const char* pszName;
    void (*pfnSend)(HWND hDlg);
};

std::ostream& operator<<(std::ostream& os, const RevertCase& c) {
    return os << c.pszName;
}

class RevertInputTest : public kptest::SettingsDialogTest,
                        public ::testing::WithParamInterface<RevertCase> {};

TEST_P(RevertInputTest, RevertsToTheReadRecordAndStaysOpen) {
    int nPos = -1, nCheck = -1;
    bool bApply = true, bVisible = false;
    ScriptRun run = Run({Do([&] {
                             kptest::DragSlider(Dlg(), IDC_SLD_BUFFER, 8);
                             kptest::ClickButton(Dlg(), IDC_BN_MATCH_ASIO_RATE);
                             GetParam().pfnSend(Dlg());
                         }),
                         WaitUntil([&] { return !Enabled(IDC_APPLY); }), Do([&] {
                             nPos = SliderPos();
                             nCheck = Check();
                             bApply = Enabled(IDC_APPLY);
                             bVisible = ::IsWindowVisible(Dlg()) != FALSE;
                         }),
                         EndByTest()},
                        3000);
    ASSERT_EQ(kEndedByTest, run.nResult) << "the dialog closed or never reverted";
    EXPECT_TRUE(bVisible);
    EXPECT_EQ(5, nPos);
    EXPECT_EQ(BST_CHECKED, nCheck);
    EXPECT_FALSE(bApply);
}

INSTANTIATE_TEST_SUITE_P(Inputs, RevertInputTest,
                         ::testing::Values(RevertCase{"Escape on the slider",
                                                      [](HWND hDlg) {
                                                          kptest::PostKey(
                                                              ::GetDlgItem(hDlg, IDC_SLD_BUFFER),
                                                              VK_ESCAPE);
                                                      }},
                                           RevertCase{"WM_CLOSE", [](HWND hDlg) {
                                                          ::PostMessageW(hDlg, WM_CLOSE, 0, 0);
                                                      }}));

// Wheel messages that reached the window procedure of the control under test. Wine's trackbar
// ignores the wheel, so for the slider this count is what shows a wheel let through.
WNDPROC g_pfnControlProc = nullptr;
int g_nWheelsArrived = 0;

LRESULT CALLBACK CountWheels(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_MOUSEWHEEL)
        ++g_nWheelsArrived;
    return ::CallWindowProcW(g_pfnControlProc, hWnd, nMsg, wParam, lParam);
}

struct WheelCase {
    const char* pszName;
    int nID;
    int nDelta;
};

std::ostream& operator<<(std::ostream& os, const WheelCase& c) {
    return os << c.pszName << ", delta " << c.nDelta;
}

class WheelTest : public kptest::SettingsDialogTest,
                  public ::testing::WithParamInterface<WheelCase> {};

TEST_P(WheelTest, ChangesNothing) {
    const WheelCase& c = GetParam();
    int nRateSelBefore = -2, nRateSelAfter = -2, nPos = -1;
    bool bApply = true;
    g_nWheelsArrived = 0;
    ScriptRun run =
        Run({Do([&] {
                 HWND hControl = Item(c.nID);
                 nRateSelBefore =
                     static_cast<int>(::SendMessageW(Item(IDC_CMB_FREQ), CB_GETCURSEL, 0, 0));
                 sim::ClearLog(&Bus());
                 g_pfnControlProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
                     hControl, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountWheels)));
                 ::SetFocus(hControl);
                 RECT rc;
                 ::GetWindowRect(hControl, &rc);
                 ::PostMessageW(hControl, WM_MOUSEWHEEL, MAKEWPARAM(0, c.nDelta),
                                MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
             }),
             Do([&] {
                 ::SetWindowLongPtrW(Item(c.nID), GWLP_WNDPROC,
                                     reinterpret_cast<LONG_PTR>(g_pfnControlProc));
                 nRateSelAfter =
                     static_cast<int>(::SendMessageW(Item(IDC_CMB_FREQ), CB_GETCURSEL, 0, 0));
                 nPos = SliderPos();
                 bApply = Enabled(IDC_APPLY);
             }),
             EndByTest()});
    ASSERT_EQ(kEndedByTest, run.nResult);
    EXPECT_EQ(0, g_nWheelsArrived) << "the control was given the wheel";
    EXPECT_EQ(5, nPos);
    EXPECT_FALSE(bApply);
    EXPECT_EQ(nRateSelBefore, nRateSelAfter);
    EXPECT_TRUE(Requests(IOCTL_DRV_SET_RATE).empty()) << RequestTrace();
    EXPECT_EQ(48000, Unit().nRate);
}

INSTANTIATE_TEST_SUITE_P(Controls, WheelTest,
                         ::testing::Values(WheelCase{"slider", IDC_SLD_BUFFER, -WHEEL_DELTA},
                                           WheelCase{"slider", IDC_SLD_BUFFER, WHEEL_DELTA},
                                           WheelCase{"rate list", IDC_CMB_FREQ, -WHEEL_DELTA},
                                           WheelCase{"rate list", IDC_CMB_FREQ, WHEEL_DELTA}));

}  // namespace
