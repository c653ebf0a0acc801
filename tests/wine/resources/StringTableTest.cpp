// The string table: the same 51 ids in each of the eight languages and in no other, the English
// texts, the per-language titles, version lines and readme names, and the placeholders that
// every translation must keep.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ResourceReader.h"
#include "res/resource.h"

namespace {

const wchar_t kCopyright[] = L"Copyright (C) 2026 Kestal Audio Works";

struct EnglishRow {
    UINT nId;
    const wchar_t* text;
};

// Every id of the table with its English (United States) text.
const EnglishRow kEnglish[] = {
    {129, L"Default"},
    {32912, L"Apply configuration changes?"},
    {32937, L"Close"},
    {32938, L"Revert"},
    {32943, L"ASIO Buffer Size:"},
    {32950, L"There are audio ports that cannot be used"},
    {32951, L"Don't show me this message again"},
    {32952,
     L"When running at 192 kHz, the audio configuration is %d-in/%d-out. The remaining channels "
     L"cannot be used and no sound will be heard.\nIf you cannot record or play back with the "
     L"currently-used application, check the settings of the input/output ports."},
    {32953,
     L"The unit's sampling frequency has been changed (%6d Hz). Please restart the program "
     L"you're using."},
    {32954, L"INTERNAL"},
    {32955, L"EXTERNAL (%6d Hz)"},
    {32956, L"EXTERNAL (Unlock)"},
    {32957, L"%5d samples (%6d Hz)"},
    {33088, L"__MODEL__ Driver Settings"},
    {33089, L"To make settings, connect the device and then execute once again."},
    {33090,
     L"Device currently used by another application.\nTo have settings take effect, quit all "
     L"such applications, then restart the application."},
    {33091, L"To have settings changes take effect, switch the power off, then on again."},
    {33092, L"To have settings changes take effect, disconnect the device, then connect again."},
    {33093, L"__MODEL__ Driver __VERSION__"},
    {33094, kCopyright},
    {33095, L"Readme\\Readme_EN.htm"},
    {33100, L"The device is not connected.\nPlease connect the device before you execute."},
    {33101, L"Audio Buffer Size"},
    {33102, L"Min."},
    {33103, L"Max."},
    {33104, L"Digital Output Setting"},
    {33105, L"Enable S/PDIF Pass-Through"},
    {33106, L"Audio Port Setting"},
    {33108, L"ASIO Setting"},
    {33110, L"Use ASIO Direct Monitor"},
    {33111, L"ASIO Technology by\nSteinberg Media Technologies GmbH"},
    {33112, L"MIDI IN Setting"},
    {33114, L"OK"},
    {33115, L"Cancel"},
    {33116, L"Apply"},
    {33117, L"Show \"README\""},
    {33124, L"Real Time:"},
    {33125, L"Stability:"},
    {33127, L"ASIO Buffer Size: %4d samples"},
    {33128, L"Audio Streaming Performance"},
    {33130, L"Use Multichannel WDM Audio Port"},
    {33131, L"Sampling frequency does not match."},
    {33132, L"USB controller does not match."},
    {33133, L"Version does not match."},
    {33134, L"Windows sound Setting"},
    {33135, L"Match with the ASIO sample rate"},
    {33136, L"--- samples (--- Hz)"},
    {33137, L"Device Settings"},
    {33138,
     L"Caution: High Volume!\n\nDo not connect headphones to the headphone B/LINE OUT jack.\nThis "
     L"signal is output directly from the computer without passing through the volume control "
     L"of the unit."},
    {33140, L"Low Latency mode"},
    {57344, L" "},
};

struct Language {
    LANGID nLang;
    const char* name;
    const wchar_t* title;    // 33088
    const wchar_t* version;  // 33093
    const wchar_t* readme;   // 33095
};

const Language kLanguages[] = {
    {0x0409, "English", L"__MODEL__ Driver Settings", L"__MODEL__ Driver __VERSION__",
     L"Readme\\Readme_EN.htm"},
    {0x0411, "Japanese", L"__MODEL__ Driver \u306E\u8A2D\u5B9A", L"__MODEL__ Driver __VERSION__",
     L"Readme\\Readme_JP.htm"},
    {0x0007, "German", L"__MODEL__ Treibereinstellungen", L"__MODEL__-Treiber __VERSION__",
     L"Readme\\Readme_DE.htm"},
    {0x000A, "Spanish", L"__MODEL__ Configuraci\u00F3n del controlador",
     L"Controlador __MODEL__ __VERSION__", L"Readme\\Readme_ES.htm"},
    {0x000C, "French", L"__MODEL__ Param\u00E8tres du pilote", L"Pilote __MODEL__ __VERSION__",
     L"Readme\\Readme_FR.htm"},
    {0x0010, "Italian", L"__MODEL__ Impostazioni del driver", L"__MODEL__ Driver __VERSION__",
     L"Readme\\Readme_IT.htm"},
    {0x0013, "Dutch", L"__MODEL__ Stuurprogramma-instellingen",
     L"__MODEL__ Stuurprogramma __VERSION__", L"Readme\\Readme_NL.htm"},
    {0x0016, "Portuguese", L"__MODEL__ Configura\u00E7\u00F5es do Driver",
     L"__MODEL__ Driver __VERSION__", L"Readme\\Readme_PT.htm"},
};

void PrintTo(const Language& lang, std::ostream* os) {
    *os << lang.name << " 0x" << std::hex << lang.nLang;
}

std::string Join(const std::vector<std::wstring>& parts) {
    std::string out;
    for (const std::wstring& part : parts) {
        out += (out.empty() ? "" : " ") + Printable(part);
    }
    return "[" + out + "]";
}

class StringTable : public testing::TestWithParam<Language> {
protected:
    void SetUp() override { m_table = ReadStringTable(GetParam().nLang); }

    // The text of an id in this language, or a marker that no test expects.
    std::wstring Text(UINT id) const {
        auto it = m_table.find(id);
        return it == m_table.end() ? L"<missing>" : it->second;
    }

    std::map<UINT, std::wstring> m_table;
};

TEST(StringTableLanguages, ExactlyTheEightLanguagesHoldStrings) {
    std::set<LANGID> expected;
    for (const Language& lang : kLanguages) {
        expected.insert(lang.nLang);
    }
    std::set<LANGID> actual = StringTableLanguages();
    for (LANGID lang : actual) {
        EXPECT_TRUE(expected.count(lang))
            << "unexpected string-table language 0x" << std::hex << lang;
    }
    for (LANGID lang : expected) {
        EXPECT_TRUE(actual.count(lang)) << "no string table in language 0x" << std::hex << lang;
    }
}

TEST_P(StringTable, HoldsEveryIdAndNoOther) {
    std::set<UINT> expected;
    for (const EnglishRow& row : kEnglish) {
        expected.insert(row.nId);
    }
    ASSERT_EQ(51u, expected.size());
    for (const auto& entry : m_table) {
        EXPECT_TRUE(expected.count(entry.first))
            << "unexpected id " << entry.first << ": " << Printable(entry.second);
    }
    for (UINT id : expected) {
        EXPECT_TRUE(m_table.count(id)) << "id " << id << " missing";
    }
}

TEST_P(StringTable, KeepsTheEnglishPlaceholders) {
    for (const EnglishRow& row : kEnglish) {
        EXPECT_EQ(Join(Placeholders(row.text)), Join(Placeholders(Text(row.nId))))
            << "id " << row.nId << ": " << Printable(Text(row.nId));
    }
}

TEST_P(StringTable, TitleVersionLineAndReadmeNameAreThisLanguages) {
    EXPECT_EQ(GetParam().title, Text(IDS_STR_TITLE));
    EXPECT_EQ(GetParam().version, Text(IDS_PROP_VER));
    EXPECT_EQ(GetParam().readme, Text(IDS_README_NAME));
}

TEST_P(StringTable, ApplicationTitleIsOneSpace) {
    EXPECT_EQ(L" ", Text(IDS_APP_TITLE));
}

TEST_P(StringTable, CopyrightLineIsTheMakers) {
    EXPECT_EQ(kCopyright, Text(IDS_PROP_COPYR));
}

TEST_P(StringTable, AsioCreditLineStaysInEnglish) {
    EXPECT_EQ(L"ASIO Technology by\nSteinberg Media Technologies GmbH", Text(IDS_ASIO_CREDIT));
}

TEST_P(StringTable, DefaultIsTranslatedOnlyInJapanese) {
    if (GetParam().nLang == 0x0411) {
        EXPECT_NE(L"Default", Text(IDS_DEFAULT));
    } else {
        EXPECT_EQ(L"Default", Text(IDS_DEFAULT));
    }
}

TEST_P(StringTable, TextsHaveNoStrayWhitespace) {
    for (const auto& entry : m_table) {
        if (entry.first == IDS_APP_TITLE) {
            continue;
        }
        const std::wstring& text = entry.second;
        EXPECT_TRUE(text.front() != L' ' && text.back() != L' ' && text.back() != L'\n' &&
                    text.find(L'\r') == std::wstring::npos)
            << "id " << entry.first << ": \"" << Printable(text) << "\"";
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, StringTable, testing::ValuesIn(kLanguages),
                         [](const testing::TestParamInfo<Language>& info) {
                             return std::string(info.param.name);
                         });

TEST(EnglishStringTable, TextsAreExact) {
    std::map<UINT, std::wstring> table = ReadStringTable(0x0409);
    for (const EnglishRow& row : kEnglish) {
        auto it = table.find(row.nId);
        ASSERT_NE(table.end(), it) << "id " << row.nId;
        EXPECT_EQ(row.text, it->second) << "id " << row.nId;
    }
}

}  // namespace
