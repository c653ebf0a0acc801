// Every must rule of drvcheck says what the panel does when a driver breaks it. Here the real
// panel runs against the simulated driver with exactly that fault, and shows it: the question
// at CLOSE, the missing unit, the empty list, the wrong figure. drvcheck is run on the same
// fault first, so the rule and its consequence are tied to one scenario.
#include <functional>
#include <set>
#include <sstream>

#include "driver/DrvControlCodes.h"
#include "res/resource.h"
#include "tests/e2e/ReportRules.h"
#include "tests/e2e/PanelSession.h"

namespace {

using e2e::Id;

// CLOSE, and the answer to the question it asks, if it asks one: "" when it asked nothing.
// No is the answer, so nothing reaches the driver.
std::string CloseAndSayNo(e2e::PanelSession& panel) {
    panel->Ok("click " + Id(e2e::kIdOk));
    std::string box = panel->Do("msgbox 1500");
    if (box.rfind("ok ", 0) == 0)
        panel->Ok("answer 7");
    EXPECT_EQ("0", panel.ExitCode());
    return box.rfind("ok ", 0) == 0 ? box.substr(3) : std::string();
}

struct Claim {
    const char* szRule;
    const char* szScenario;
    const char* szTag;  // FAIL for a must rule, WARN for a should
    // Runs the panel on the fault and checks what the rule's text says it does.
    std::function<void()> panelShows;
};

void Question(const char* szWhy) {
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ(e2e::YesNoBox(e2e::kAskApplyText), CloseAndSayNo(panel)) << szWhy;
}

const Claim kClaims[] = {
    {"open.slot", "[slot 0]\nname-shift = -1\n[slot 1]\n", "FAIL",
     [] {
         // Unit 1 publishes itself as 0000: the list holds unit 2 alone.
         e2e::PanelSession panel;
         ASSERT_TRUE(panel.Up());
         e2e::ComboState dev = panel.Combo(IDC_CMB_DEV);
         ASSERT_EQ(1u, dev.items.size()) << panel->Ok("combo " + Id(IDC_CMB_DEV));
         EXPECT_EQ(1, dev.items[0].first) << "slot 1, the panel's unit 2";
         EXPECT_EQ("", CloseAndSayNo(panel));
     }},
    {"io.sync", "[slot 0]\nfail = GET_CLOCK always\n", "FAIL",
     [] {
         e2e::PanelSession panel;
         ASSERT_TRUE(panel.Up());
         usleep(700000);  // two refresh ticks
         EXPECT_EQ(0, panel.Combo(IDC_CMB_FREQ).nCount) << panel->Ok("combo " + Id(IDC_CMB_FREQ));
         EXPECT_EQ("", CloseAndSayNo(panel));
     }},
    {"settings.result", "[slot 0]\nread-result = 0\n", "FAIL",
     [] {
         e2e::PanelSession box("en_US.UTF-8", " ");
         ASSERT_TRUE(box.Up()) << "no message box";
         EXPECT_EQ(e2e::kNoDriverText, box.Text(0xFFFF));
         EXPECT_EQ("err timeout", box->Do(std::string("wait 300 ") + e2e::kPanelTitle));
         box->Ok("click 1");
         EXPECT_EQ("0", box.ExitCode());
     }},
    {"settings.level", "[slot 0]\nbuffer-level = 12\n", "FAIL",
     [] {
         e2e::PanelSession panel;
         ASSERT_TRUE(panel.Up());
         EXPECT_EQ(9, panel.Slider(IDC_SLD_BUFFER).nPos);
         EXPECT_EQ(e2e::YesNoBox(e2e::kAskApplyText), CloseAndSayNo(panel));
     }},
    {"settings.level-flag", "[slot 0]\nbuffer-level = 3\n", "FAIL",
     [] { Question("level 3 without the table's flag"); }},
    {"settings.offsets", "[slot 0]\noffset1 = 20\n", "FAIL",
     [] { Question("offset 1 beyond level 5's limit"); }},
    {"rates.offered", "[slot 0]\noffers = 32000\n", "FAIL",
     [] {
         e2e::PanelSession panel;
         ASSERT_TRUE(panel.Up());
         usleep(700000);
         EXPECT_EQ(0, panel.Combo(IDC_CMB_FREQ).nCount) << panel->Ok("combo " + Id(IDC_CMB_FREQ));
         EXPECT_EQ("", CloseAndSayNo(panel));
     }},
    {"stream.rate", "[slot 0]\nstream-active = 1\nstream-rate = 0\n", "FAIL",
     [] {
         e2e::PanelSession panel;
         ASSERT_TRUE(panel.Up());
         std::string text = panel.WaitFor(
             "text " + Id(IDC_ASIO_BUF_SIZE),
             [](const std::string& t) { return t.find("(     0 Hz)") != std::string::npos; });
         EXPECT_NE(std::string::npos, text.find("(     0 Hz)")) << text;
         EXPECT_EQ("", CloseAndSayNo(panel));
     }},
    {"write.result", "[slot 0]\nwrite-result = 7\n", "FAIL",
     [] {
         e2e::PanelSession panel;
         ASSERT_TRUE(panel.Up());
         panel->Ok("slide " + Id(IDC_SLD_BUFFER) + " 7");
         panel->Ok("click " + Id(IDC_APPLY));
         EXPECT_TRUE(panel.NoMessageBox()) << "no message to restart anything";
         std::vector<e2e::LogLine> writes = e2e::OfCode(e2e::ReadLog(), IOCTL_DRV_SET_SETTINGS);
         ASSERT_EQ(1u, writes.size());
         EXPECT_EQ(e2e::Word(7), writes[0].answered.substr(2 * 336, 8)) << "answered 7";
         EXPECT_EQ("", CloseAndSayNo(panel));
     }},
    // The should rules that once were musts: their faults show nothing in the panel.
    {"settings.offset-off", "[slot 0]\noffset1-enable = 0\noffset1 = 4\n", "WARN",
     [] {
         e2e::PanelSession panel;
         ASSERT_TRUE(panel.Up());
         EXPECT_EQ("", CloseAndSayNo(panel)) << "a disabled offset is not compared";
     }},
    {"descriptor.length", "[slot 0]\ndescriptor-length = 3000\n[slot 1]\n", "WARN",
     [] {
         // Both units at 48 kHz, no stream: the figure is the reference rate's, as always.
         e2e::PanelSession panel;
         ASSERT_TRUE(panel.Up());
         EXPECT_EQ("  256 samples ( 48000 Hz)", panel.Text(IDC_ASIO_BUF_SIZE));
         EXPECT_EQ("", CloseAndSayNo(panel));
     }},
};

}  // namespace

TEST(DrvCheckClaims, EachRuleSaysWhatThePanelDoes) {
    for (const Claim& claim : kClaims) {
        SCOPED_TRACE(claim.szRule);
        e2e::LoadScenarioText(claim.szScenario);
        std::vector<std::string> args = {"--repeat", "1"};
        if (std::string(claim.szRule) == "write.result")
            args.push_back("--write");
        e2e::RunResult r = e2e::Wine(e2e::CrossDir() + "/drvcheck/drvcheck.exe", args, 60);
        EXPECT_EQ(std::string(claim.szTag) == "FAIL" ? 1 : 0, r.nStatus) << r.Report();
        EXPECT_EQ(1u, e2e::ReportRules(r.out, claim.szTag).count(claim.szRule)) << r.out;
        if (std::string(claim.szTag) == "FAIL") {
            EXPECT_EQ(std::set<std::string>{claim.szRule}, e2e::ReportRules(r.out, "FAIL"))
                << r.out;
        }

        e2e::LoadScenarioText(claim.szScenario);
        claim.panelShows();
    }
}
