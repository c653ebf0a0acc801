// The dialogs in the user's language: run once per user-interface language.
#include "DialogFixture.h"
#include "app/DrvPropNoDevDlg.h"
#include "res/resource.h"
#include "tests/wine/support/UserInput.h"

namespace {

struct LanguageCase {
    LANGID primary;
    const wchar_t* title;
    const wchar_t* close;
    const wchar_t* defaultLabel;
};

const LanguageCase kLanguages[] = {
    {LANG_ENGLISH, L"KESTAL-3 5 9 Driver Settings", L"Close", L"Default"},
    {LANG_GERMAN, L"KESTAL-3 5 9 Treibereinstellungen", L"Schlie\u00DFen", L"Default"},
    {LANG_JAPANESE, L"KESTAL-3 5 9 Driver \u306E\u8A2D\u5B9A", L"\u9589\u3058\u308B",
     L"\u30C7\u30D5\u30A9\u30EB\u30C8"},
};

const LanguageCase* CurrentLanguage() {
    LANGID primary = PRIMARYLANGID(::GetUserDefaultUILanguage());
    for (const LanguageCase& c : kLanguages) {
        if (c.primary == primary)
            return &c;
    }
    return nullptr;
}

}  // namespace

class Language : public SettingsDialog {};

TEST_F(Language, SettingsDialogSpeaksTheUsersLanguageButKeepsItsEnglishCaption) {
    const LanguageCase* lang = CurrentLanguage();
    ASSERT_NE(nullptr, lang) << "UI language " << ::GetUserDefaultUILanguage();
    WhileOpen([&] {
        EXPECT_EQ(lang->title, dlg.GetWindowTextW());
        EXPECT_EQ(lang->close, Text(IDOK));
        EXPECT_EQ(lang->defaultLabel, Text(IDC_DEFAULT));
        EXPECT_EQ(TableString(IDS_GRP_BUF_SIZE), Text(IDC_GRP_BUF_SIZE));
        EXPECT_EQ(L"SAMPLE RATE:",
                  CWnd(::GetWindow(dlg.GetDlgItem(IDC_CMB_FREQ), GW_HWNDPREV)).GetWindowTextW());
    });
}

TEST_F(Language, NoDeviceDialogCarriesTheSameTitle) {
    const LanguageCase* lang = CurrentLanguage();
    ASSERT_NE(nullptr, lang);
    CDrvPropNoDevDlg noDevice;
    std::wstring title, message;
    kptest::ScriptRun run = kptest::RunModalScript(
        noDevice,
        {kptest::WaitUntil([&] { return noDevice.IsWindowVisible() != FALSE; }), kptest::Do([&] {
             title = noDevice.GetWindowTextW();
             message = noDevice.GetDlgItem(IDC_NO_DEV_MESSAGE).GetWindowTextW();
         }),
         kptest::Do([&] { kptest::PostKey(noDevice.GetDlgItem(IDOK), VK_RETURN); })});
    EXPECT_EQ(IDOK, run.nResult);
    EXPECT_EQ(lang->title, title);
    EXPECT_EQ(TableString(IDS_DRV_NO_DEV), message);
}
