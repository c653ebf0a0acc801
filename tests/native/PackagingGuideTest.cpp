// The packager's guide (docs/packaging.md) against the program: its tables are read from the
// page itself and compared with the constants the program is built from, so an edit on either
// side that the other lacks fails here.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver/DrvControlCodes.h"
#include "driver/DrvDevTable.h"
#include "driver/DrvRecords.h"
#include "install/InstallKey.h"

namespace {

typedef std::vector<std::string> Row;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Narrow(const char16_t* sz) {
    std::string s;
    for (; *sz; ++sz)
        s += *sz < 0x80 ? static_cast<char>(*sz) : '?';
    return s;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    size_t e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

// A markdown row split into its cells; code quotes are dropped, the text is kept.
Row Cells(const std::string& line) {
    Row cells;
    std::string cell;
    for (size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '|') {
            cells.push_back(Trim(cell));
            cell.clear();
        } else if (line[i] != '`') {
            cell += line[i];
        }
    }
    return cells;
}

struct Table {
    Row header;
    std::vector<Row> rows;
};

// The body rows of the one table of the guide whose header row starts with the given cell.
std::vector<Row> GuideTable(const std::string& firstHeader) {
    std::istringstream guide(ReadFile(KP_GUIDE_PATH));
    std::vector<Table> tables;
    std::string line;
    bool inTable = false;
    while (std::getline(guide, line)) {
        if (line.size() < 2 || line[0] != '|') {
            inTable = false;
            continue;
        }
        Row cells = Cells(line);
        if (!inTable)
            tables.push_back({cells, {}});
        else if (cells.empty() || cells[0].find_first_not_of('-') != std::string::npos)
            tables.back().rows.push_back(cells);
        inTable = true;
    }
    std::vector<Row> rows;
    int nFound = 0;
    for (const Table& table : tables) {
        if (!table.header.empty() && table.header[0] == firstHeader) {
            rows = table.rows;
            ++nFound;
        }
    }
    EXPECT_EQ(1, nFound) << "tables headed \"" << firstHeader << "\" in " << KP_GUIDE_PATH;
    return rows;
}

long Number(const std::string& text) {
    return std::stol(text, nullptr, 0);
}

struct CodeInCode {
    uint32_t nCode;
    size_t nRecordSize;
    const char* szRecord;
};

// The program's codes with the record each one exchanges, by the names the guide uses.
const std::map<std::string, CodeInCode> kCodes = {
    {"IOCTL_DRV_GET_DESCRIPTOR",
     {IOCTL_DRV_GET_DESCRIPTOR, sizeof(DrvDescriptor), "DrvDescriptor"}},
    {"IOCTL_DRV_GET_DEVICE_FLAG", {IOCTL_DRV_GET_DEVICE_FLAG, sizeof(int32_t), "one word"}},
    {"IOCTL_DRV_GET_STREAM_STATE",
     {IOCTL_DRV_GET_STREAM_STATE, sizeof(DrvStreamState), "DrvStreamState"}},
    {"IOCTL_DRV_GET_SETTINGS", {IOCTL_DRV_GET_SETTINGS, sizeof(DrvSettingsIo), "DrvSettingsIo"}},
    {"IOCTL_DRV_SET_SETTINGS", {IOCTL_DRV_SET_SETTINGS, sizeof(DrvSettingsIo), "DrvSettingsIo"}},
    {"IOCTL_DRV_GET_IN_USE", {IOCTL_DRV_GET_IN_USE, sizeof(int32_t), "one word"}},
    {"IOCTL_DRV_GET_RATE", {IOCTL_DRV_GET_RATE, sizeof(DrvRateValue), "DrvRateValue"}},
    {"IOCTL_DRV_SET_RATE", {IOCTL_DRV_SET_RATE, sizeof(DrvRateValue), "DrvRateValue"}},
    {"IOCTL_DRV_QUERY_RATE", {IOCTL_DRV_QUERY_RATE, sizeof(DrvRateQuery), "DrvRateQuery"}},
    {"IOCTL_DRV_GET_CLOCK", {IOCTL_DRV_GET_CLOCK, sizeof(DrvClockStatus), "DrvClockStatus"}},
};

}  // namespace

TEST(PackagingGuide, DeviceNamesAreTheFourControlDevices) {
    DrvDevTable table;
    table.Build();
    std::vector<Row> rows = GuideTable("Slot");
    ASSERT_EQ(static_cast<size_t>(DRV_SLOT_COUNT), rows.size());
    for (const Row& row : rows) {
        ASSERT_EQ(3u, row.size()) << row[0];
        long slot = Number(row[0]);
        ASSERT_TRUE(slot >= 0 && slot < DRV_SLOT_COUNT) << row[0];
        std::string path = Narrow(table[static_cast<int>(slot)].szPath);
        EXPECT_EQ(path, row[1]) << "slot " << slot;
        EXPECT_EQ("\\DosDevices\\" + path.substr(4), row[2]) << "slot " << slot;
    }
}

TEST(PackagingGuide, ControlCodeTableMatchesTheCodesAndRecords) {
    std::vector<Row> rows = GuideTable("Code");
    std::set<std::string> seen;
    for (const Row& row : rows) {
        ASSERT_GE(row.size(), 5u) << row[0];
        const std::string& name = row[2];
        auto it = kCodes.find(name);
        ASSERT_TRUE(it != kCodes.end())
            << "the guide lists " << name << ", the program has no such code";
        EXPECT_TRUE(seen.insert(name).second) << name << " listed twice";
        const CodeInCode& code = it->second;
        EXPECT_EQ(static_cast<long>(code.nCode), Number(row[0])) << name;
        EXPECT_EQ(code.nCode, DrvControlCode(static_cast<uint32_t>(Number(row[1])))) << name;
        EXPECT_EQ(static_cast<long>(DrvBufferSize(code.nCode)), Number(row[3])) << name;
        EXPECT_EQ(static_cast<long>(code.nRecordSize), Number(row[3])) << name;
        EXPECT_EQ(code.szRecord, row[4]) << name;
    }
    EXPECT_EQ(kCodes.size(), seen.size()) << "codes of the program missing from the guide";
}

TEST(PackagingGuide, RegistryKeyAndLengthLimitMatchTheProgram) {
    std::map<std::string, std::string> items;
    for (const Row& row : GuideTable("Item")) {
        ASSERT_EQ(2u, row.size()) << row[0];
        items[row[0]] = row[1];
    }
    EXPECT_EQ("HKEY_CLASSES_ROOT\\CLSID\\" + Narrow(INSTALL_CLSID) + "\\" + Narrow(INSTALL_SUBKEY),
              items["Key"]);

    EXPECT_EQ(static_cast<long>(INSTALL_VALUE_LIMIT), Number(items["Counts as missing from"]));
    // The longest value: the largest whole number of UTF-16 units below the limit.
    std::smatch m;
    const std::string longest = items["Longest value read"];
    ASSERT_TRUE(std::regex_match(longest, m, std::regex(R"((\d+) bytes \((\d+) characters .*)")))
        << longest;
    long bytes = Number(m[1]);
    EXPECT_EQ(0, bytes % 2) << longest;
    EXPECT_LT(bytes, static_cast<long>(INSTALL_VALUE_LIMIT)) << longest;
    EXPECT_GE(bytes + 2, static_cast<long>(INSTALL_VALUE_LIMIT)) << longest;
    EXPECT_EQ(bytes / 2 - 1, Number(m[2])) << longest;
    EXPECT_LE(bytes / 2, INSTALL_TEXT_CHARS) << "the buffer holds the longest value";
}

TEST(PackagingGuide, ValuesAreTheOnesTheProgramReads) {
    std::vector<std::string> names;
    for (const Row& row : GuideTable("Value"))
        names.push_back(row[0]);
    std::vector<std::string> expected = {Narrow(INSTALL_VALUE_VERSION),
                                         Narrow(INSTALL_VALUE_COPYRIGHT), "(default)"};
    EXPECT_EQ(expected, names);
}

TEST(PackagingGuide, ReadmeFilesAreThoseOfTheEightStringTables) {
    // Language id and readme name of every string table, from res/lang/*.rc.
    std::map<long, std::string> inCode;
    const std::regex language(R"(^LANGUAGE (0x[0-9A-Fa-f]+), (0x[0-9A-Fa-f]+)\s*$)");
    const std::regex readme(R"rx(^\s*IDS_README_NAME\s+"(.*)"\s*$)rx");
    for (const auto& entry : std::filesystem::directory_iterator(KP_LANG_DIR)) {
        if (entry.path().extension() != ".rc")
            continue;
        std::istringstream rc(ReadFile(entry.path().string()));
        std::string line, name;
        long id = -1;
        std::smatch m;
        while (std::getline(rc, line)) {
            if (std::regex_match(line, m, language))
                id = Number(m[1]) | (Number(m[2]) << 10);
            else if (std::regex_match(line, m, readme))
                name = std::regex_replace(m[1].str(), std::regex(R"(\\\\)"), "\\");
        }
        ASSERT_TRUE(id >= 0 && !name.empty()) << entry.path();
        EXPECT_TRUE(inCode.emplace(id, name).second) << entry.path();
    }
    ASSERT_EQ(8u, inCode.size()) << KP_LANG_DIR;

    std::map<long, std::string> inGuide;
    for (const Row& row : GuideTable("Windows display language")) {
        ASSERT_EQ(3u, row.size()) << row[0];
        EXPECT_TRUE(inGuide.emplace(Number(row[1]), row[2]).second) << row[1] << " listed twice";
    }
    EXPECT_EQ(inCode, inGuide);
}
