#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "platform/Resources.h"
#include "platform/Strings.h"

namespace brelko {
namespace {

// Every text as the users know it. Written out here on its own, not taken
// from the program's tables, so a slip in either shows.
struct Expected {
    unsigned id;
    const char* english;
    const char* danish;
};

const Expected kExpected[] = {
    {129, "\nBrelko\nBrelko\n\n\nBrelko.Document\nBrelko Document", "\nBrelko\nBrelko\n\n\nBrelko.Document\nBrelko Dokument"},
    {131, "\nTGA\nTGA\nPicture (*.tga)\n.tga\nTGABilled\nTGA Picture", "\nTGA\n\nBillede (*.tga)\n.tga\nTGABilled\nTGA Billede"},
    {132, "\nMTX\nMTX\nPicture(*.mtx)\n.mtx\nMTXBilled\nMTX Picture", "\nMTX\n\nBillede (*.mtx)\n.mtx\nMTXBilled\nMTX Billede"},
    {133, "\nTXT\nTXT\ntext-file (*.txt)\n.txt\ntxtfil\nText File", "\nTXT\n\ntekst-fil (*.txt)\n.txt\ntxtfil\nTekst Fil"},
    {134, "\nASC\nASC\nBackup-file (*.asc)\n.asc\nascfil\nBackup File", "\nASC\n\nBackup-fil (*.asc)\n.asc\nascfil\nBackup Fil"},
    {31447, "Include extra service data in backup\n(should not be used in normal backup)",
     "Medtag ekstra Service Information i backup\n(Bør ikke anvendes til normal backup)"},
    {31448, "Bytes received: ", "Bytes modtaget: "},
    {31449, "\nOf Total :    ", "\naf i alt :    "},
    {31450, "Sending Data", "Sender data"},
    {31451, "Bytes sent: ", "Bytes sendt: "},
    {31452, "Select Language:", "Vælg sprog:"},
    {31453, "Wrong com port selected on vision system", "Forkert port på vision system"},
    {31454, "Unable to Open COM Port!", "Ikke istand til at åbne COM Porten!"},
    {31455, "Clearing System buffer", "Tømmer system buffer"},
    {31456, "COM port %1 open", "COM port %1 åben"},
    {31457, "\nSeconds left %d", "\nSekunder tilbage %d"},
    {31458, "No contact to vision system. Choose correct COM port and check serial cable.",
     "Ingen kontakt til vision system. Vælg korrekt COM port og chek seriel kabel."},
    {31459, "Unknown vision system", "Ukendt vision system"},
    {31460, "Recieving data", "Modtager data"},
    {31461, "COM port %1 not open", "COM port %1 ikke åben"},
    {31462, "Error receiving picture", "Fejl under hentning af billedet"},
    {31463, "Error sending data!", "Fejl under sending af data!"},
    {31464, "Error recieving data!", "Fejl ved modtagelse af data!"},
    {31465, "COM port", "COM port"},
    {31466, "Default data folder:", "Data bibliotek:"},
    {32771, "Show Status Window\nStatus Window", "Vis Status Vindue\nStatus Vindue"},
    {32772, "Zoom in 2X\nZoom in", "Zoom ind 2X\nZoom ind"},
    {32773, "Zoom out 2X\nZoom out", "Zoom ud 2X\nZoom ud"},
    {32774, "Show picture in original size\nOriginal size", "Vis billede i original størrelse\nOriginal Størrelse"},
    {32775, "Zoom to fit screen\nFit screen", "Zoom til skærmstørrelse\nTilpas skærm"},
    {32776, "Show picture in screen format\nScreen format", "skalér billedet til naturlig skala\nNaturlig skala"},
    {32777, "Back up current vision settings to pc\nBack up", "Hent opsætning fra Vision System\nHent Opsætning"},
    {32778, "restores settings to vision system\nRestore", "Send opsætning til Vision System\nSend Opsætning"},
    {32779, "Connect to Vision System\nConnect", "Opret forbindelse til Vision system\nOpret Forbindelse"},
    {32780, "Receive screen dump from Vision System\nGet Picture", "Hent skærm billede fra Vision System\nHent Billede"},
    {32781, "Receive all menu from Vision System\nGet Menu", "Hent menu opsætningen\nHent menu"},
    {32782, "Receive Language\nReceive Language", "Hent Sprog\nHent sprog"},
    {32783, "Send language", "Sender en sprog fil til Vision Systemet\nSend Sprog"},
    {32796, "Change program options\nOptions", "Indstillinger\nIndstillinger"},
    {57345, "Ready", "Klar"},
    {61442, "All Files (*.*)", "Alle Filer (*.*)"},
    {61699, "Save changes to %1?", "Gem ændringer i %1?"},
};

class BuiltinStrings : public ::testing::Test {
protected:
    void SetUp() override { UnloadLanguageLibrary(); }
    void TearDown() override {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }
};

TEST_F(BuiltinStrings, EveryIdInBothLanguages) {
    SetBuiltinLanguage(Language::English);
    for (const auto& e : kExpected) EXPECT_EQ(LoadString(e.id), e.english) << "English string " << e.id;
    SetBuiltinLanguage(Language::Danish);
    for (const auto& e : kExpected) EXPECT_EQ(LoadString(e.id), e.danish) << "Danish string " << e.id;
}

TEST_F(BuiltinStrings, LeadingAndTrailingBlanksAreKept) {
    SetBuiltinLanguage(Language::English);
    EXPECT_EQ(LoadString(IDS_BYTES_RECEIVED).back(), ' ');
    EXPECT_EQ(LoadString(IDS_BYTES_SENT), std::string("Bytes sent") + ": ");
    std::string total = LoadString(IDS_OF_TOTAL);
    ASSERT_EQ(total.size(), 15u);
    EXPECT_EQ(total.front(), '\n');  // a real line feed, not backslash-n
    EXPECT_EQ(total.substr(total.size() - 4), "    ");
    EXPECT_EQ(LoadString(IDS_SECONDS_LEFT).substr(0, 1), "\n");
    SetBuiltinLanguage(Language::Danish);
    EXPECT_EQ(LoadString(IDS_OF_TOTAL).substr(11), "    ");
    EXPECT_EQ(LoadString(IDS_BYTES_RECEIVED).back(), ' ');
    // Danish document strings leave the new-document name empty.
    EXPECT_EQ(LoadString(IDR_TGATYPE).substr(0, 6), "\nTGA\n\n");
}

TEST_F(BuiltinStrings, UnknownIdGivesEmptyText) {
    EXPECT_EQ(LoadString(1), "");
    EXPECT_EQ(LoadString(65535), "");
    EXPECT_FALSE(LoadMenu(131).has_value());
    EXPECT_FALSE(LoadDialog(999).has_value());
}

// Flattens a menu for comparison: "popup:&Filer", "item 57601:...", "-", "end".
void Flatten(const std::vector<MenuItem>& items, std::vector<std::string>* out) {
    for (const auto& item : items) {
        switch (item.kind) {
        case MenuItem::Kind::Separator: out->push_back("-"); break;
        case MenuItem::Kind::Command: out->push_back(std::to_string(item.command) + " " + item.text); break;
        case MenuItem::Kind::Popup:
            out->push_back("popup " + item.text);
            Flatten(item.items, out);
            out->push_back("end");
            break;
        }
    }
}

TEST_F(BuiltinStrings, DanishMainMenu) {
    SetBuiltinLanguage(Language::Danish);
    auto menu = LoadMenu(IDR_MAINFRAME);
    ASSERT_TRUE(menu.has_value());
    std::vector<std::string> flat;
    Flatten(menu->items, &flat);
    const std::vector<std::string> expected = {
        "popup &Filer", "57601 Å&ben...\tCtrl+O", "57602 &Luk", "57603 &Gem\tCtrl+S", "57604 Gem &Som...", "-",
        "32779 &Opret Forbindelse", "-", "57616 Foretrukne Filer", "-", "57665 &Afslut", "end",
        "popup &Vis", "59392 &Værktøjslinie", "59393 Status &Bar", "-", "32771 &Status Vindue",
        "32796 &Indstillinger...", "end",
        // The commands that open a file dialog say so with "...".
        "popup H&ent", "32777 &Opsætning...", "32781 &Menu", "32782 &Sprog", "32780 Skærm &billede", "end",
        "popup &Send", "32778 &Opsætning...", "32783 &Sprog...", "end",
        "popup &Billede", "popup &Zoom", "32772 &Ind 2X", "32773 &Ud 2X", "32774 &1:1", "32775 &Skærm", "end",
        "32776 &Skalér Naturlig", "32780 Hent Skærm &Billede", "end",
        "popup &Hjælp", "57664 &Om Brelko...", "end",
    };
    EXPECT_EQ(flat, expected);
}

TEST_F(BuiltinStrings, EnglishMainMenuHasTheSameCommands) {
    auto commands = [](Language language) {
        SetBuiltinLanguage(language);
        std::vector<std::string> flat;
        Flatten(LoadMenu(IDR_MAINFRAME)->items, &flat);
        for (auto& line : flat)
            if (line != "-" && line != "end") line = line.substr(0, line.find(' '));
        return flat;
    };
    EXPECT_EQ(commands(Language::English), commands(Language::Danish));
    SetBuiltinLanguage(Language::English);
    EXPECT_EQ(LoadMenu(IDR_MAINFRAME)->items.front().text, "&File");
}

TEST_F(BuiltinStrings, DialogTexts) {
    for (Language language : {Language::English, Language::Danish}) {
        SetBuiltinLanguage(language);
        auto about = LoadDialog(IDD_ABOUTBOX);
        ASSERT_TRUE(about.has_value());
        EXPECT_EQ(about->caption, "Brelko");
        EXPECT_EQ(about->Control(IDC_ABOUT_VERSION), "Brelko Version 1.3");
        EXPECT_EQ(about->Control(IDOK), "OK");
        EXPECT_FALSE(about->Control(IDC_ABOUT_LINE2).empty());
        EXPECT_FALSE(about->Control(IDC_ABOUT_LINE3).empty());
    }
    SetBuiltinLanguage(Language::Danish);
    auto options = LoadDialog(IDD_OPTIONS);
    ASSERT_TRUE(options.has_value());
    EXPECT_EQ(options->caption, "Indstillinger");
    EXPECT_EQ(options->Control(IDC_LANGUAGE_LABEL), "Vælg sprog:");
    EXPECT_EQ(options->Control(IDCANCEL), "Annuller");
    EXPECT_EQ(options->Control(IDC_SERVICE_DATA_TEXT), LoadString(IDS_SERVICE_DATA));
}

class LocaleEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < 3; ++i) {
            if (m_saved[i])
                ::setenv(kNames[i], m_saved[i]->c_str(), 1);
            else
                ::unsetenv(kNames[i]);
        }
    }
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};

private:
    std::vector<std::optional<std::string>> m_saved;
};

TEST_F(LocaleEnvironment, DanishLocalesChooseDanish) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        Language expected;
    } cases[] = {
        {nullptr, nullptr, nullptr, Language::English},
        {nullptr, nullptr, "da_DK.UTF-8", Language::Danish},
        {nullptr, nullptr, "en_US.UTF-8", Language::English},
        {nullptr, "da_DK", "en_US.UTF-8", Language::Danish},
        {"C", nullptr, "da_DK.UTF-8", Language::English},   // LC_ALL decides
        {"da", "en_GB", "en_US", Language::Danish},
        {"", "", "da_DK", Language::Danish},                 // empty means unset
        {nullptr, nullptr, "de_DE", Language::English},
    };
    for (const auto& c : cases) {
        const char* values[3] = {c.lcAll, c.lcMessages, c.lang};
        for (int i = 0; i < 3; ++i) {
            if (values[i])
                ::setenv(kNames[i], values[i], 1);
            else
                ::unsetenv(kNames[i]);
        }
        EXPECT_EQ(LanguageFromLocale(), c.expected)
            << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " " << (c.lang ? c.lang : "-");
    }
}

TEST(FormatPercent1, ReplacesEveryPlaceholder) {
    EXPECT_EQ(FormatPercent1("Save changes to %1?", "TEMP.MTX"), "Save changes to TEMP.MTX?");
    EXPECT_EQ(FormatPercent1("COM port %1 open", "2"), "COM port 2 open");
    EXPECT_EQ(FormatPercent1("%1 and %1", "x"), "x and x");
    EXPECT_EQ(FormatPercent1("no place", "x"), "no place");
    EXPECT_EQ(FormatPercent1("%d stays, %2 too, 100%", "x"), "%d stays, %2 too, 100%");
    EXPECT_EQ(FormatPercent1("%1", "%1"), "%1");  // the argument is not formatted again
}

}  // namespace
}  // namespace brelko
