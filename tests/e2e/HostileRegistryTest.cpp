// The installation key holding values that an installation should never write: texts without
// their NUL, values at and beyond the read limit of 360 bytes, a number taken as text, an empty
// readme folder and one with a trailing backslash. The panel shows what the values allow and
// asks the driver nothing beyond its usual opening requests.

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "driver/DrvControlCodes.h"
#include "res/resource.h"
#include "tests/e2e/PanelSession.h"

namespace {

using e2e::Id;

constexpr const char* kKey = "HKCR\\CLSID\\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\\TKID0340";
constexpr const char* kDriverLine = "KESTAL-3 5 9 Driver ";
constexpr const char* kDefaultCopyright = "Copyright (C) 2026 Kestal Audio Works";
// Without spaces, so that the trailing backslash needs no quoting on the way to reg.
constexpr const char* kTrailingFolder = "C:\\tkwmfault\\";

void Reg(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"add", kKey};
    all.insert(all.end(), args.begin(), args.end());
    all.push_back("/f");
    all.push_back("/reg:32");
    e2e::RunResult r = e2e::Wine("reg", all, 60);
    ASSERT_EQ(0, r.nStatus) << r.Report();
}

// UTF-16LE bytes of an ASCII text, as reg's REG_BINARY hex.
std::string Utf16Hex(const std::string& text) {
    std::string hex;
    char sz[8];
    for (char c : text) {
        std::snprintf(sz, sizeof sz, "%02X00", static_cast<unsigned char>(c));
        hex += sz;
    }
    return hex;
}

class HostileRegistry : public ::testing::Test {
protected:
    void SetUp() override { e2e::LoadScenario("one-unit.scn"); }

    // The values as the installation of the test prefix writes them.
    void TearDown() override {
        Reg({"/v", "version", "/t", "REG_SZ", "/d", "Ver.1.0.0"});
        Reg({"/v", "copyright", "/t", "REG_SZ", "/d", "Copyright (C) 2026 simulated driver"});
        Reg({"/ve", "/t", "REG_SZ", "/d", "C:\\Program Files (x86)\\Tkwm3340"});
        std::string dir = e2e::PrefixDir() + "/drive_c/tkwmfault";
        std::remove((dir + "/Readme/Readme_EN.htm").c_str());
        rmdir((dir + "/Readme").c_str());
        rmdir(dir.c_str());
    }

    // Version and copyright lines and the readme button of a panel opened now; then CLOSE.
    struct Seen {
        std::string version;
        std::string copyright;
        bool bReadme = false;
    };
    Seen Open() {
        Seen seen;
        e2e::PanelSession panel;
        EXPECT_TRUE(panel.Up());
        if (!panel.Up())
            return seen;
        seen.version = panel.Text(IDC_DRV_VERSION);
        seen.copyright = panel.Text(IDC_COPYRIGHT);
        seen.bReadme = panel.Enabled(IDC_README);
        ExpectOnlyOpeningRequests();
        EXPECT_EQ("0", panel.Close());
        return seen;
    }

    // Reads and ticks only: the registry's content changes nothing at the driver.
    static void ExpectOnlyOpeningRequests() {
        const std::set<uint32_t> allowed = {IOCTL_DRV_GET_SETTINGS,   IOCTL_DRV_GET_CLOCK,
                                            IOCTL_DRV_QUERY_RATE,     IOCTL_DRV_GET_STREAM_STATE,
                                            IOCTL_DRV_GET_DESCRIPTOR, IOCTL_DRV_GET_RATE,
                                            IOCTL_DRV_GET_DEVICE_FLAG};
        std::vector<e2e::LogLine> log = e2e::ReadLog();
        EXPECT_EQ(1u, e2e::OfCode(log, IOCTL_DRV_GET_SETTINGS).size());
        for (const e2e::LogLine& line : log) {
            if (line.kind == "control") {
                EXPECT_TRUE(allowed.count(line.nCode)) << line.text;
            }
        }
    }
};

TEST_F(HostileRegistry, VersionWithoutNulEndsWithTheDataRead) {
    Reg({"/v", "version", "/t", "REG_BINARY", "/d", Utf16Hex("Ver.9")});
    Seen seen = Open();
    EXPECT_EQ(std::string(kDriverLine) + "Ver.9", seen.version);
    EXPECT_EQ("Copyright (C) 2026 simulated driver", seen.copyright);
    EXPECT_TRUE(seen.bReadme);
}

// The stored size must stay below 360 bytes: 179 UTF-16 units at most, terminator included.
TEST_F(HostileRegistry, VersionOf358BytesIsShownInFull) {
    std::string text(178, 'A');
    Reg({"/v", "version", "/t", "REG_SZ", "/d", text});
    EXPECT_EQ(std::string(kDriverLine) + text, Open().version);
}

TEST_F(HostileRegistry, VersionOf359BytesIsShown) {
    std::string text(178, 'B');
    Reg({"/v", "version", "/t", "REG_BINARY", "/d", Utf16Hex(text) + "000000"});
    EXPECT_EQ(std::string(kDriverLine) + text, Open().version);
}

TEST_F(HostileRegistry, VersionOf360BytesCountsAsAbsent) {
    Reg({"/v", "version", "/t", "REG_SZ", "/d", std::string(179, 'C')});
    EXPECT_EQ("", Open().version);
}

TEST_F(HostileRegistry, VersionOf360BytesWithoutNulCountsAsAbsent) {
    Reg({"/v", "version", "/t", "REG_BINARY", "/d", Utf16Hex(std::string(180, 'D'))});
    EXPECT_EQ("", Open().version);
}

TEST_F(HostileRegistry, NumbersAreTakenAsText) {
    Reg({"/v", "version", "/t", "REG_DWORD", "/d", "0x41"});  // 41 00 00 00: "A" and its NUL
    Reg({"/v", "copyright", "/t", "REG_DWORD", "/d", "0x00430042"});  // "BC", no NUL
    Seen seen = Open();
    EXPECT_EQ(std::string(kDriverLine) + "A", seen.version);
    EXPECT_EQ("BC", seen.copyright);
}

TEST_F(HostileRegistry, CopyrightOf360BytesFallsBackToTheMakersLine) {
    Reg({"/v", "copyright", "/t", "REG_SZ", "/d", std::string(179, 'E')});
    EXPECT_EQ(kDefaultCopyright, Open().copyright);
}

TEST_F(HostileRegistry, EmptyReadmeFolderDisablesTheButton) {
    Reg({"/ve", "/t", "REG_SZ"});
    e2e::ClearOpenedDocuments();
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_FALSE(panel.Enabled(IDC_README));
    EXPECT_EQ("Ver.1.0.0", panel.Text(IDC_DRV_VERSION).substr(20));
    EXPECT_EQ(0u, panel->Do("click " + Id(IDC_README)).rfind("err", 0)) << "a user cannot";
    ExpectOnlyOpeningRequests();
    EXPECT_EQ("0", panel.Close());
    EXPECT_TRUE(e2e::OpenedDocuments().empty());
}

TEST_F(HostileRegistry, FolderWithTrailingBackslashOpensTheDoubledPath) {
    std::string dir = e2e::PrefixDir() + "/drive_c/tkwmfault/Readme";
    ASSERT_EQ(0, e2e::Run({"mkdir", "-p", dir}).nStatus);
    std::ofstream(dir + "/Readme_EN.htm") << "<html><body>Readme</body></html>\n";
    Reg({"/ve", "/t", "REG_SZ", "/d", kTrailingFolder});
    e2e::RunResult query = e2e::Wine("reg", {"query", kKey, "/ve", "/reg:32"}, 60);
    EXPECT_NE(std::string::npos, query.out.find("REG_SZ    C:\\tkwmfault\\\r"))
        << "stored with its trailing backslash: " << query.Report();
    e2e::ClearOpenedDocuments();
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_TRUE(panel.Enabled(IDC_README)) << "the doubled backslash still finds the file";
    panel->Ok("click " + Id(IDC_README));
    // The panel hands C:\tkwmfault\\Readme\Readme_EN.htm to the shell; Wine's shell makes
    // the path canonical before it starts the handler.
    EXPECT_EQ(std::vector<std::string>({"C:\\tkwmfault\\Readme\\Readme_EN.htm"}),
              e2e::WaitForOpenedDocuments())
        << panel->WineLog();
    ExpectOnlyOpeningRequests();
    EXPECT_EQ("0", panel.Close());
}

TEST_F(HostileRegistry, FolderWithTrailingBackslashAndNoFileDisablesTheButton) {
    Reg({"/ve", "/t", "REG_SZ", "/d", kTrailingFolder});
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_FALSE(panel.Enabled(IDC_README));
    EXPECT_EQ("0", panel.Close());
}

}  // namespace
