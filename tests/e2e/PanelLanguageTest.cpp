// The panel in each of its eight languages: the no-device dialog and the readme it offers, and
// the labels of the settings dialog; the readme button follows the installation's documents.

#include <cstdio>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/PanelSession.h"

namespace {

constexpr const char* kInstallKey = "HKCR\\CLSID\\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\\TKID0340";
// What the test installation (scripts/sim-install.sh) writes as the readme folder.
constexpr const char* kReadmeFolder = "C:\\Program Files (x86)\\Tkwm3340";

struct Language {
    const char* szLocale;
    const char* szTitle;     // IDS_STR_TITLE
    const char* szNoDevice;  // IDS_DRV_NO_DEV, its line break as uiprobe escapes it
    const char* szOk;        // IDS_OK
    const char* szReadme;    // IDS_README
    const char* szDocument;  // IDS_README_NAME
    const char* szVersion;   // IDS_PROP_VER with the installation's version
    const char* szClose;     // IDS_CLOSE
    const char* szRevert;    // IDS_REVERT
    const char* szApply;     // IDS_APPLY
    const char* szDefault;   // IDS_DEFAULT
};

const Language kLanguages[] = {
    {"en_US.UTF-8", "KESTAL-3 5 9 Driver Settings",
     "The device is not connected.\\nPlease connect the device before you execute.", "OK",
     "Show \"README\"", "Readme_EN.htm", "KESTAL-3 5 9 Driver Ver.1.0.0", "Close", "Revert",
     "Apply", "Default"},
    {"ja_JP.UTF-8", "KESTAL-3 5 9 Driver の設定",
     "機器が接続されていません。\\n機器を接続してから実行してください。", "OK", "「README」を表示",
     "Readme_JP.htm", "KESTAL-3 5 9 Driver Ver.1.0.0", "閉じる", "元に戻す", "適用", "デフォルト"},
    {"de_CH.UTF-8", "KESTAL-3 5 9 Treibereinstellungen",
     "Das Gerät ist nicht angeschlossen.\\nBitte schließen Sie das Gerät an, bevor Sie das "
     "Programm starten.",
     "OK", "„README“ anzeigen", "Readme_DE.htm", "KESTAL-3 5 9-Treiber Ver.1.0.0", "Schließen",
     "Zurücksetzen", "Übernehmen", "Default"},
    {"fr_FR.UTF-8", "KESTAL-3 5 9 Paramètres du pilote",
     "L'appareil n'est pas connecté.\\nVeuillez connecter l'appareil avant de lancer le "
     "programme.",
     "OK", "Afficher « README »", "Readme_FR.htm", "Pilote KESTAL-3 5 9 Ver.1.0.0", "Fermer",
     "Rétablir", "Appliquer", "Default"},
    {"es_ES.UTF-8", "KESTAL-3 5 9 Configuración del controlador",
     "El dispositivo no está conectado.\\nConecte el dispositivo antes de ejecutar el programa.",
     "Aceptar", "Mostrar \"README\"", "Readme_ES.htm", "Controlador KESTAL-3 5 9 Ver.1.0.0",
     "Cerrar", "Restablecer", "Aplicar", "Default"},
    {"it_IT.UTF-8", "KESTAL-3 5 9 Impostazioni del driver",
     "Il dispositivo non è collegato.\\nCollegare il dispositivo prima di avviare il programma.",
     "OK", "Mostra \"README\"", "Readme_IT.htm", "KESTAL-3 5 9 Driver Ver.1.0.0", "Chiudi",
     "Ripristina", "Applica", "Default"},
    {"nl_NL.UTF-8", "KESTAL-3 5 9 Stuurprogramma-instellingen",
     "Het apparaat is niet aangesloten.\\nSluit het apparaat aan voordat u het programma start.",
     "OK", "\"README\" weergeven", "Readme_NL.htm", "KESTAL-3 5 9 Stuurprogramma Ver.1.0.0",
     "Sluiten", "Herstellen", "Toepassen", "Default"},
    {"pt_BR.UTF-8", "KESTAL-3 5 9 Configurações do Driver",
     "O dispositivo não está conectado.\\nExecute o programa com o dispositivo conectado.", "OK",
     "Mostrar \"README\"", "Readme_PT.htm", "KESTAL-3 5 9 Driver Ver.1.0.0", "Fechar", "Reverter",
     "Aplicar", "Default"},
};

std::string DocumentPath(const std::string& document) {
    return std::string(kReadmeFolder) + "\\Readme\\" + document;
}

void Reg(const std::vector<std::string>& args) {
    e2e::RunResult r = e2e::Wine("reg", args, 60);
    EXPECT_EQ(0, r.nStatus) << "reg " << args[0] << "\n" << r.Report();
}

// The installation without its readme folder (the key's default value) for one test.
class ReadmeFolderRemoved {
public:
    ReadmeFolderRemoved() { Reg({"delete", kInstallKey, "/ve", "/f", "/reg:32"}); }
    ~ReadmeFolderRemoved() {
        Reg({"add", kInstallKey, "/ve", "/d", kReadmeFolder, "/f", "/reg:32"});
    }
};

// One language's readme document moved out of the way for one test.
class DocumentRemoved {
public:
    explicit DocumentRemoved(const std::string& document)
        : m_path(e2e::PrefixDir() + "/drive_c/Program Files (x86)/Tkwm3340/Readme/" + document) {
        EXPECT_EQ(0, std::rename(m_path.c_str(), (m_path + ".away").c_str())) << m_path;
    }
    ~DocumentRemoved() { std::rename((m_path + ".away").c_str(), m_path.c_str()); }

private:
    std::string m_path;
};

class PanelLanguage : public ::testing::TestWithParam<Language> {};

TEST_P(PanelLanguage, NoDeviceDialogSpeaksTheUsersLanguage) {
    const Language& language = GetParam();
    e2e::LoadScenario("no-units.scn");
    e2e::PanelSession panel(language.szLocale, language.szTitle);
    ASSERT_TRUE(panel.Up()) << "no window titled " << language.szTitle;
    EXPECT_EQ(language.szTitle, panel.Text(0));
    EXPECT_EQ(language.szNoDevice, panel.Text(IDC_NO_DEV_MESSAGE));
    EXPECT_EQ(language.szOk, panel.Text(e2e::kIdOk));
    EXPECT_EQ(language.szReadme, panel.Text(IDC_README));
    EXPECT_TRUE(panel.Enabled(IDC_README)) << "the installation has every language's readme";
    e2e::ClearOpenedDocuments();
    panel->Ok("click " + e2e::Id(IDC_README));
    EXPECT_EQ(std::vector<std::string>({DocumentPath(language.szDocument)}),
              e2e::WaitForOpenedDocuments())
        << panel->WineLog();
    EXPECT_EQ("0", panel.PressClosingKey("enter"));
}

TEST_P(PanelLanguage, SettingsDialogSpeaksTheUsersLanguage) {
    const Language& language = GetParam();
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel(language.szLocale, language.szTitle);
    ASSERT_TRUE(panel.Up()) << "no window titled " << language.szTitle;
    EXPECT_EQ(language.szVersion, panel.Text(IDC_DRV_VERSION));
    EXPECT_EQ("Copyright (C) 2026 simulated driver", panel.Text(IDC_COPYRIGHT));
    EXPECT_EQ(language.szClose, panel.Text(e2e::kIdOk));
    EXPECT_EQ(language.szRevert, panel.Text(e2e::kIdCancel));
    EXPECT_EQ(language.szApply, panel.Text(IDC_APPLY));
    EXPECT_EQ(language.szDefault, panel.Text(IDC_DEFAULT));
    EXPECT_EQ(language.szReadme, panel.Text(IDC_README));
    EXPECT_EQ("KESTAL-3 5 9", panel.Combo(IDC_CMB_DEV).items.at(0).second)
        << "the model string is not translated";
    EXPECT_EQ("0", panel.Close());
}

std::string LocaleName(const ::testing::TestParamInfo<Language>& info) {
    std::string locale = info.param.szLocale;
    return locale.substr(0, locale.find('.'));
}

INSTANTIATE_TEST_SUITE_P(EightLanguages, PanelLanguage, ::testing::ValuesIn(kLanguages),
                         LocaleName);

// The rate list's caption has no id of its own: it is the third control of IDD_DRVPROP.
// Needs uiprobe to reach a control by its place in the template ("#N").
TEST(PanelLabels, SampleRateCaptionStaysEnglish) {
    e2e::LoadScenario("one-unit.scn");
    for (const Language& language : {kLanguages[1], kLanguages[2]}) {
        SCOPED_TRACE(language.szLocale);
        e2e::PanelSession panel(language.szLocale, language.szTitle);
        ASSERT_TRUE(panel.Up());
        std::string caption = panel->Do("text #3");
        if (caption.rfind("err '#3' is not a number", 0) == 0)
            GTEST_SKIP() << "uiprobe cannot reach a control without an id";
        EXPECT_EQ("ok SAMPLE RATE:", caption);
        EXPECT_EQ("0", panel.Close());
    }
}

TEST(PanelReadme, DisabledInBothDialogsWithoutTheReadmeFolder) {
    ReadmeFolderRemoved removed;
    e2e::LoadScenario("no-units.scn");
    {
        e2e::PanelSession panel;
        ASSERT_TRUE(panel.Up());
        EXPECT_EQ("enabled=0 visible=1", panel->Ok("state " + e2e::Id(IDC_README)).substr(0, 19));
        EXPECT_EQ("err disabled", panel->Do("click " + e2e::Id(IDC_README)));
        EXPECT_EQ("0", panel.PressClosingKey("enter")) << "OK still works";
    }
    e2e::LoadScenario("one-unit.scn");
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_EQ("enabled=0 visible=1", panel->Ok("state " + e2e::Id(IDC_README)).substr(0, 19));
    EXPECT_EQ("0", panel.Close());
}

TEST(PanelReadme, DisabledWhenTheLanguagesDocumentIsMissing) {
    DocumentRemoved removed("Readme_FR.htm");
    e2e::LoadScenario("no-units.scn");
    {
        e2e::PanelSession panel("fr_FR.UTF-8", "KESTAL-3 5 9 Paramètres du pilote");
        ASSERT_TRUE(panel.Up());
        EXPECT_FALSE(panel.Enabled(IDC_README)) << "no other language's document stands in";
        EXPECT_EQ("0", panel.PressClosingKey("enter"));
    }
    e2e::PanelSession panel;
    ASSERT_TRUE(panel.Up());
    EXPECT_TRUE(panel.Enabled(IDC_README)) << "the English document is still there";
    EXPECT_EQ("0", panel.PressClosingKey("enter"));
}

}  // namespace
