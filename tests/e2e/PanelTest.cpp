// Tkdp3340.exe itself, driven through uiprobe in the prefix with the kernel-mode simulated
// driver: what the user sees, and what reaches the driver.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "driver/DrvControlCodes.h"
#include "res/resource.h"
#include "tests/e2e/Harness.h"

namespace {

constexpr const char* kTitle = "KESTAL-3 5 9 Driver Settings";
// IDS_CONF_WAVE as uiprobe reads a message box: caption, text, icon, buttons.
constexpr const char* kInUseBox =
    " \tDevice currently used by another application.\\nTo have settings take effect, quit all "
    "such applications, then restart the application.\texclamation\t1:OK";

std::string Id(int nId) {
    return std::to_string(nId);
}

// The panel started by uiprobe in the given UI language (LC_ALL), its dialog waited for.
class Panel {
public:
    explicit Panel(const std::string& locale = "en_US.UTF-8", const std::string& title = kTitle)
        : m_probe({"LC_ALL=" + locale}) {
        m_probe.Ok("run " + e2e::WinPath(e2e::PanelExe()));
        m_bUp = m_probe.Do("wait 15000 " + title, 30).rfind("ok", 0) == 0;
        if (m_bUp)
            m_probe.Ok("idle");
    }
    bool Up() const { return m_bUp; }
    e2e::UiProbe& operator*() { return m_probe; }
    e2e::UiProbe* operator->() { return &m_probe; }

    // CLOSE with nothing pending: the program ends, after the message box it shows, if any.
    void Close(const std::string& box = "") {
        m_probe.Ok("click 1");
        if (!box.empty()) {
            EXPECT_EQ(box, m_probe.Ok("msgbox 5000"));
            m_probe.Ok("answer 1");
        }
        m_probe.Ok("exit 20000", 30);
    }

    // Items of the device list once it has nCount of them, or when the time is up (the
    // refresh runs every 330 ms).
    int DeviceCount(int nCount, int nMs = 5000) {
        int nSeen = -1;
        for (int nWaited = 0; nWaited <= nMs; nWaited += 50) {
            std::string combo = m_probe.Ok("combo " + Id(IDC_CMB_DEV));
            nSeen = std::atoi(combo.substr(combo.find(' ') + 1).c_str());
            if (nSeen == nCount)
                break;
            usleep(50000);
        }
        return nSeen;
    }

private:
    e2e::UiProbe m_probe;
    bool m_bUp = false;
};

std::vector<e2e::LogLine> Requests(uint32_t nCode) {
    std::vector<e2e::LogLine> lines;
    for (const e2e::LogLine& line : e2e::ReadLog()) {
        if (line.kind == "control" && line.nCode == nCode)
            lines.push_back(line);
    }
    return lines;
}

std::string Word(int32_t n) {
    return e2e::Hex(&n, 4);
}

TEST(Panel, NoDeviceDialogOffersTheReadme) {
    e2e::LoadScenario("no-units.scn");
    Panel panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ(kTitle, panel->Ok("text 0"));
    EXPECT_EQ("The device is not connected.\\nPlease connect the device before you execute.",
              panel->Ok("text " + Id(IDC_NO_DEV_MESSAGE)));
    EXPECT_EQ("enabled=1 visible=1", panel->Ok("state " + Id(IDC_README)).substr(0, 19));
    panel->Ok("shot " + e2e::ResultsDir() + "/no-device.png");
    e2e::ClearOpenedDocuments();
    panel->Ok("click " + Id(IDC_README));
    EXPECT_EQ(
        std::vector<std::string>({"C:\\Program Files (x86)\\Tkwm3340\\Readme\\Readme_EN.htm"}),
        e2e::WaitForOpenedDocuments())
        << panel->WineLog();
    panel->Ok("key enter");
    panel->Ok("exit 20000", 30);
    EXPECT_TRUE(e2e::ReadLog().empty()) << "no unit, no request";
}

TEST(Panel, SettingsDialogShowsTheDemo) {
    e2e::LoadScenario("demo.scn");
    Panel panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("KESTAL-3 5 9 Driver Ver.1.0.0", panel->Ok("text " + Id(IDC_DRV_VERSION)));
    EXPECT_EQ("Copyright (C) 2026 simulated driver", panel->Ok("text " + Id(IDC_COPYRIGHT)));
    EXPECT_EQ("0 9 3", panel->Ok("slider " + Id(IDC_SLD_BUFFER)).substr(0, 5))
        << "the level read from the first unit";
    std::string devices = panel->Ok("combo " + Id(IDC_CMB_DEV));
    EXPECT_EQ("0 2 0\t0\t", devices.substr(0, 8)) << devices;
    std::string rates = panel->Ok("combo " + Id(IDC_CMB_FREQ));
    EXPECT_NE(std::string::npos, rates.find("\t48000\t")) << rates;
    EXPECT_EQ(std::string::npos, rates.find("\t176400\t")) << "not available: " << rates;
    EXPECT_NE(std::string::npos, panel->Ok("text " + Id(IDC_ASIO_BUF_SIZE)).find("48000"));
    EXPECT_EQ("enabled=0", panel->Ok("state " + Id(IDC_APPLY)).substr(0, 9));
    panel->Ok("shot " + e2e::ResultsDir() + "/settings-demo.png");
    panel.Close(kInUseBox);
}

TEST(Panel, OpeningReadsTheSettingsOfTheFirstUnit) {
    e2e::LoadScenario("slots-1-3.scn");
    Panel panel;
    ASSERT_TRUE(panel.Up());
    std::vector<e2e::LogLine> reads = Requests(IOCTL_DRV_GET_SETTINGS);
    ASSERT_EQ(1u, reads.size());
    EXPECT_EQ(1, reads[0].nSlot);
    panel.Close(kInUseBox);
}

TEST(Panel, ApplyWritesToEveryUnitAndAsksToRestartTheApplications) {
    e2e::LoadScenario("slots-1-3.scn");
    Panel panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 7");
    EXPECT_EQ("enabled=1", panel->Ok("state " + Id(IDC_APPLY)).substr(0, 9));
    e2e::Simctl({"clear-log"});
    panel->Ok("click " + Id(IDC_APPLY));
    // Slot 3 answers 1 and is in use.
    EXPECT_EQ(kInUseBox, panel->Ok("msgbox 5000"));
    panel->Ok("shot " + e2e::ResultsDir() + "/apply-in-use.png box");
    panel->Ok("answer 1");
    std::vector<e2e::LogLine> writes = Requests(IOCTL_DRV_SET_SETTINGS);
    ASSERT_EQ(2u, writes.size());
    EXPECT_EQ(1, writes[0].nSlot);
    EXPECT_EQ(3, writes[1].nSlot);
    EXPECT_EQ(writes[0].answered, writes[1].sent);
    EXPECT_EQ(Word(7), writes[0].sent.substr(2 * 288, 8)) << "buffer level";
    EXPECT_EQ("enabled=0", panel->Ok("state " + Id(IDC_APPLY)).substr(0, 9));
    panel.Close(kInUseBox);
}

TEST(Panel, ApplyAsksForAPowerCycle) {
    e2e::LoadScenario("power-cycle.scn");
    Panel panel;
    ASSERT_TRUE(panel.Up());
    panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 2");
    panel->Ok("click " + Id(IDC_APPLY));
    EXPECT_EQ(
        " \tTo have settings changes take effect, switch the power off, then on again."
        "\texclamation\t1:OK",
        panel->Ok("msgbox 5000"));
    panel->Ok("answer 1");
    panel.Close();
}

TEST(Panel, UnitsComeAndGoWhileItRuns) {
    e2e::LoadScenario("demo.scn");
    Panel panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ(2, panel.DeviceCount(2));
    e2e::Simctl({"unplug", "1"});
    EXPECT_EQ(1, panel.DeviceCount(1));
    e2e::Simctl({"plug", "1", "+", "plug", "3"});
    EXPECT_EQ(3, panel.DeviceCount(3));
    panel.Close(kInUseBox);
}

TEST(Panel, SecondStartLeavesTheFirstRunning) {
    e2e::LoadScenario("one-unit.scn");
    Panel panel;
    ASSERT_TRUE(panel.Up());
    e2e::RunResult second = e2e::Wine(e2e::PanelExe(), {}, 30);
    EXPECT_NE(-1, second.nStatus) << "the second instance ended by itself\n" << second.Report();
    EXPECT_EQ(kTitle, panel->Ok("text 0"));
    panel.Close();
}

TEST(Panel, GermanTitleAndReadme) {
    e2e::LoadScenario("one-unit.scn");
    Panel panel("de_DE.UTF-8", "KESTAL-3 5 9 Treibereinstellungen");
    ASSERT_TRUE(panel.Up());
    e2e::ClearOpenedDocuments();
    panel->Ok("click " + Id(IDC_README));
    EXPECT_EQ(
        std::vector<std::string>({"C:\\Program Files (x86)\\Tkwm3340\\Readme\\Readme_DE.htm"}),
        e2e::WaitForOpenedDocuments())
        << panel->WineLog();
    panel.Close();
}

}  // namespace
