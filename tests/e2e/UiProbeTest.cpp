// uiprobe on a dialog that reports what reached it: the harness acts as a user would, and only
// as a user could.
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/e2e/Harness.h"

namespace {

constexpr const char* kTitle = "uiprobe fixture";

class UiProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_probe.Ok("run " +
                   e2e::WinPath(e2e::CrossDir() + "/tests/harness/uifixture/uifixture.exe"));
        m_probe.Ok(std::string("wait 10000 ") + kTitle, 30);
    }

    e2e::UiProbe m_probe;
};

TEST_F(UiProbeTest, ReadsTextsAndStates) {
    EXPECT_EQ(kTitle, m_probe.Ok("text 0"));
    EXPECT_EQ("Ask", m_probe.Ok("text 1001"));
    EXPECT_EQ("enabled=1 visible=1 checked=0 focused=0 class=Button", m_probe.Ok("state 1003"));
    EXPECT_EQ("enabled=0 visible=1 checked=0 focused=0 class=Button", m_probe.Ok("state 1009"));
    EXPECT_EQ("enabled=1 visible=0 checked=0 focused=0 class=Button", m_probe.Ok("state 1010"));
    EXPECT_EQ("0 3 0\t44100\t44100\t48000\t48000\t96000\t96000", m_probe.Ok("combo 1004"));
    EXPECT_EQ("0 9 4 tics=1,2,3,4,5,6,7,8", m_probe.Ok("slider 1007").substr(0, 26));
    EXPECT_EQ("err no control 4242", m_probe.Do("text 4242"));
}

TEST_F(UiProbeTest, ClickTogglesACheckBoxAndMovesTheFocus) {
    m_probe.Ok("click 1003");
    EXPECT_EQ("enabled=1 visible=1 checked=1 focused=1 class=Button", m_probe.Ok("state 1003"));
}

TEST_F(UiProbeTest, RefusesWhatAUserCannotReach) {
    EXPECT_EQ("err disabled", m_probe.Do("click 1009"));
    EXPECT_EQ("err hidden", m_probe.Do("click 1010"));
    EXPECT_EQ("", m_probe.Ok("text 1011")) << "the refused buttons were not clicked";
}

TEST_F(UiProbeTest, PickSendsWhatAMousePickSends) {
    m_probe.Ok("pick 1004 96000");
    EXPECT_EQ("96000", m_probe.Ok("text 1005"));
    EXPECT_EQ("dropdown selchange selendcancel closeup", m_probe.Ok("text 1006"));
    EXPECT_EQ("2 3 0", m_probe.Ok("combo 1004").substr(0, 5));
    EXPECT_EQ("err no item with data 22050", m_probe.Do("pick 1004 22050"));
}

TEST_F(UiProbeTest, SlideSendsWhatADragSends) {
    m_probe.Ok("slide 1007 6");
    // TB_THUMBTRACK (5) at each step, then TB_THUMBPOSITION (4) and TB_ENDTRACK (8).
    EXPECT_EQ("5:5 5:6 4:6 8:6", m_probe.Ok("text 1008"));
    EXPECT_EQ("0 9 6", m_probe.Ok("slider 1007").substr(0, 5));
    EXPECT_EQ("enabled=1 visible=1 checked=0 focused=1 class=msctls_trackbar32",
              m_probe.Ok("state 1007"));
}

TEST_F(UiProbeTest, MessageBoxIsReadAndAnswered) {
    m_probe.Ok("click 1001");
    EXPECT_EQ(" \tApply now?\tquestion\t6:&Yes,7:&No", m_probe.Ok("msgbox 5000"));
    EXPECT_EQ("err window disabled (a modal window is open)", m_probe.Do("click 1003"));
    m_probe.Ok("shot " + e2e::ResultsDir() + "/fixture-msgbox.png box");
    m_probe.Ok("answer 6");
    EXPECT_EQ("yes", m_probe.Ok("text 1002"));
    EXPECT_EQ("err no message box", m_probe.Do("msgbox 100"));
}

TEST_F(UiProbeTest, EnterEndsWithTheDefaultButton) {
    m_probe.Ok("key enter");
    EXPECT_EQ("1", m_probe.Ok("exit 10000"));
}

TEST_F(UiProbeTest, EscapeCancels) {
    m_probe.Ok("key escape");
    EXPECT_EQ("2", m_probe.Ok("exit 10000"));
}

TEST_F(UiProbeTest, TabMovesTheFocus) {
    m_probe.Ok("focus 1001");
    m_probe.Ok("key tab");
    EXPECT_EQ("focused=1", m_probe.Ok("state 1003").substr(30, 9));
}

TEST_F(UiProbeTest, WheelIsPostedToTheControl) {
    m_probe.Ok("wheel 1007 1");
    m_probe.Ok("wheel 1004 -1");
    EXPECT_EQ("err hidden", m_probe.Do("wheel 1010 1"));
}

TEST_F(UiProbeTest, ScreenshotIsAPng) {
    std::string path = e2e::ResultsDir() + "/fixture.png";
    std::remove(path.c_str());
    m_probe.Ok("shot " + path);
    std::ifstream in(path, std::ios::binary);
    char header[8] = {};
    in.read(header, 8);
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), std::string(header, 8));
}

TEST_F(UiProbeTest, ReadmeOpensThroughTheRecorder) {
    e2e::ClearOpenedDocuments();
    m_probe.Ok("click 1012");
    std::vector<std::string> opened;
    for (int i = 0; i < 200 && opened.empty(); ++i) {
        opened = e2e::OpenedDocuments();
        if (opened.empty())
            usleep(25000);
    }
    EXPECT_EQ(
        std::vector<std::string>({"C:\\Program Files (x86)\\Tkwm3340\\Readme\\Readme_EN.htm"}),
        opened)
        << m_probe.WineLog();
}

}  // namespace
