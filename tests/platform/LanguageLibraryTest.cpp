#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "platform/LanguageLibrary.h"
#include "platform/Profile.h"
#include "platform/Resources.h"
#include "platform/Strings.h"
#include "tests/support/Sandbox.h"

namespace brelko {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const std::string kShipped = std::string(BRELKO_SOURCE_DIR) + "/res/lang/";

class LanguageLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }
    void TearDown() override {
        UnloadLanguageLibrary();
        SetBuiltinLanguage(Language::English);
    }

    // The English library with one string changed, so it can be told apart.
    std::string MarkedEnglish() {
        ResourceSet set = BuiltinResources(Language::English);
        set.name = "Marked";
        set.strings[AFX_IDS_IDLEMESSAGE] = "Marked ready";
        set.menus[IDR_MAINFRAME].items.front().text = "&Marked";
        set.dialogs[IDD_ABOUTBOX].caption = "Marked about";
        return FormatLanguageLibrary(set);
    }

    TempDir dir;
};

TEST_F(LanguageLibraryTest, ShippedLibrariesMatchTheBuiltInTables) {
    for (auto [file, language] : {std::pair{"english.lng", Language::English}, std::pair{"danish.lng", Language::Danish}}) {
        std::string text = ReadFile(kShipped + file);
        EXPECT_EQ(text, FormatLanguageLibrary(BuiltinResources(language)))
            << file << " is out of date: regenerate it with brelko_mklang";
        ResourceSet parsed;
        std::string error;
        ASSERT_TRUE(ParseLanguageLibrary(text, &parsed, &error)) << file << ": " << error;
        EXPECT_EQ(parsed, BuiltinResources(language)) << file;
    }
}

TEST_F(LanguageLibraryTest, WhileLoadedEveryLookupComesFromTheLibrary) {
    WriteFile(dir.File("marked.lng"), MarkedEnglish());
    ASSERT_TRUE(LoadLanguageLibrary(dir.File("marked.lng")));
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Marked ready");
    EXPECT_EQ(LoadMenu(IDR_MAINFRAME)->items.front().text, "&Marked");
    EXPECT_EQ(LoadDialog(IDD_ABOUTBOX)->caption, "Marked about");
    // The built-in choice no longer matters.
    SetBuiltinLanguage(Language::Danish);
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Marked ready");
    EXPECT_EQ(LoadString(IDS_BYTES_RECEIVED), "Bytes received: ");
    // A new library replaces the previous one.
    ASSERT_TRUE(LoadLanguageLibrary(kShipped + "danish.lng"));
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Klar");
    UnloadLanguageLibrary();
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Klar");  // built-in Danish now
}

TEST_F(LanguageLibraryTest, RelativeNamesFindTheShippedLibraries) {
    ASSERT_TRUE(LoadLanguageLibrary("danish.lng"));
    EXPECT_EQ(LoadString(IDS_RECEIVING_DATA), "Modtager data");
    ASSERT_TRUE(LoadLanguageLibrary("english"));  // the usual extension is added
    EXPECT_EQ(LoadString(IDS_RECEIVING_DATA), "Recieving data");
    EXPECT_EQ(FindLanguageLibrary("no-such-library.lng"), "");
    EXPECT_EQ(FindLanguageLibrary(""), "");
}

TEST_F(LanguageLibraryTest, MissingOrMalformedLibrariesAreIgnored) {
    WriteFile(dir.File("marked.lng"), MarkedEnglish());
    ASSERT_TRUE(LoadLanguageLibrary(dir.File("marked.lng")));

    const std::string good = FormatLanguageLibrary(BuiltinResources(Language::Danish));
    auto replace = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty file", ""},
        {"comments only", "# nothing here\n\n"},
        {"no header", replace("brelko-language 1\n", "")},
        {"unknown version", replace("brelko-language 1", "brelko-language 2")},
        {"unknown escape", replace("\"Klar\"", "\"Kl\\qar\"")},
        {"bad hex escape", replace("\"Klar\"", "\"Kl\\x4\"")},
        {"unterminated text", replace("\"Klar\"", "\"Klar")},
        {"text glued to a word", replace("\"Klar\"", "\"Klar\"x")},
        {"raw control character", replace("\"Klar\"", "\"Kl\x01r\"")},
        {"raw tab inside a text", replace("\"Klar\"", "\"Kl\tar\"")},
        {"id too large", replace("57345 \"Klar\"", "657345 \"Klar\"")},
        {"id not a number", replace("57345 \"Klar\"", "57x45 \"Klar\"")},
        {"duplicate id", replace("57345 \"Klar\"", "57345 \"Klar\"\n57345 \"Klar\"")},
        {"missing string", replace("57345 \"Klar\"\n", "")},
        {"missing menu", replace("[menu 129]", "[menu 128]")},
        {"missing dialog control", replace("control 1020 \"Brelko Version 1.3\"\n", "")},
        {"unclosed popup", replace("  item 57665 \"&Afslut\"\nend\n", "  item 57665 \"&Afslut\"\n")},
        {"end without popup", replace("[menu 129]\n", "[menu 129]\nend\n")},
        {"unknown menu line", replace("  separator\n", "  bar\n")},
        {"unknown section", replace("[strings]", "[texts]")},
        {"entry before any section", replace("[strings]\n", "")},
        {"invalid UTF-8", replace("\"Klar\"", "\"Kl\xC3r\"")},
        {"overlong UTF-8", replace("\"Klar\"", "\"Kl\xC0\xAFr\"")},
        {"escaped invalid UTF-8", replace("\"Klar\"", "\"Kl\\xC3r\"")},
        {"binary garbage", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10)},
    };
    for (const auto& c : cases) {
        WriteFile(dir.File("bad.lng"), c.text);
        ResourceSet parsed;
        std::string error;
        EXPECT_FALSE(ParseLanguageLibrary(c.text, &parsed, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_FALSE(LoadLanguageLibrary(dir.File("bad.lng"))) << c.what;
        EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Marked ready") << c.what;
    }
    // A good library padded far beyond any real one: refused before it is read.
    WriteFile(dir.File("big.lng"), good + std::string(5 * 1024 * 1024, '\n'));
    EXPECT_FALSE(LoadLanguageLibrary(dir.File("big.lng")));
    EXPECT_FALSE(LoadLanguageLibrary(dir.File("missing.lng")));
    EXPECT_FALSE(LoadLanguageLibrary(dir.Path()));  // a folder
    EXPECT_FALSE(LoadLanguageLibrary(""));
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Marked ready");
}

TEST_F(LanguageLibraryTest, FormatToleratesWhatEditorsDo) {
    std::string text = FormatLanguageLibrary(BuiltinResources(Language::Danish));
    // CR LF line endings, a byte-order mark, tabs for blanks, extra comments.
    std::string edited = "\xEF\xBB\xBF";
    for (char c : text) {
        if (c == '\n')
            edited += "\r\n";
        else
            edited += c;
    }
    auto at = edited.find("57345 \"Klar\"");
    edited.replace(at, 12, "\t57345\t\t\"Klar\"   # idle");
    edited.insert(edited.find("[strings]"), "# translated by hand\r\n");
    // "# idle" after the text is not a comment: refused.
    ResourceSet parsed;
    std::string error;
    EXPECT_FALSE(ParseLanguageLibrary(edited, &parsed, &error));
    edited.replace(edited.find("   # idle"), 9, "   ");
    ASSERT_TRUE(ParseLanguageLibrary(edited, &parsed, &error)) << error;
    EXPECT_EQ(parsed, BuiltinResources(Language::Danish));
}

TEST_F(LanguageLibraryTest, EscapesRoundTrip) {
    ResourceSet set = BuiltinResources(Language::English);
    set.strings[1] = std::string("quote \" backslash \\ tab \t cr \r del \x7f bell \x07 end ");
    set.strings[2] = "";
    set.strings[3] = "   ";
    std::string text = FormatLanguageLibrary(set);
    ResourceSet parsed;
    std::string error;
    ASSERT_TRUE(ParseLanguageLibrary(text, &parsed, &error)) << error;
    EXPECT_EQ(parsed, set);
}

TEST_F(LanguageLibraryTest, LookupsFromWorkersWhileTheLibraryChanges) {
    WriteFile(dir.File("marked.lng"), MarkedEnglish());
    std::atomic<bool> stop{false};
    std::atomic<int> odd{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 2; ++t)
        readers.emplace_back([&] {
            while (!stop) {
                std::string text = LoadString(AFX_IDS_IDLEMESSAGE);
                if (text != "Ready" && text != "Klar" && text != "Marked ready") ++odd;
            }
        });
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(LoadLanguageLibrary(i % 2 ? kShipped + "danish.lng" : dir.File("marked.lng")));
        if (i % 5 == 0) UnloadLanguageLibrary();
    }
    stop = true;
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(odd.load(), 0);
}

TEST_F(LanguageLibraryTest, DamagedLibrariesAreRefusedOrReadConsistently) {
    const std::string good = FormatLanguageLibrary(BuiltinResources(Language::Danish));
    std::mt19937 random(2024);
    const char bytes[] = {'"', '\\', '\n', '\r', ' ', '[', ']', 'x', '0', '\t', '#', '\0', '\xC3', '\xFF'};
    int accepted = 0;
    for (int round = 0; round < 1000; ++round) {
        std::string text = good;
        int damage = 1 + static_cast<int>(random() % 4);
        for (int d = 0; d < damage; ++d) {
            std::size_t at = random() % text.size();
            switch (random() % 3) {
            case 0: text[at] = bytes[random() % sizeof bytes]; break;
            case 1: text.erase(at, 1 + random() % 8); break;
            default: text.insert(at, 1, bytes[random() % sizeof bytes]); break;
            }
        }
        ResourceSet parsed;
        std::string error;
        if (!ParseLanguageLibrary(text, &parsed, &error)) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        // Whatever was accepted is complete and survives another round trip.
        ++accepted;
        for (const auto& [id, unused] : BuiltinResources(Language::English).strings) EXPECT_TRUE(parsed.strings.count(id));
        ResourceSet again;
        ASSERT_TRUE(ParseLanguageLibrary(FormatLanguageLibrary(parsed), &again, &error)) << error;
        EXPECT_EQ(again, parsed);
    }
    EXPECT_GT(accepted, 0);  // harmless damage (a changed letter) is read
}

TEST_F(LanguageLibraryTest, PopupsNestOnlyAsDeepAsAnyRealMenu) {
    const std::string good = FormatLanguageLibrary(BuiltinResources(Language::Danish));
    auto nested = [&](int depth, bool closed) {
        std::string chain;
        for (int level = 0; level < depth; ++level) chain += "popup \"\"\n";
        if (closed)
            for (int level = 0; level < depth; ++level) chain += "end\n";
        std::string text = good;
        const std::string menu = "[menu 129]\n";
        return text.insert(text.find(menu) + menu.size(), chain);
    };
    ResourceSet parsed;
    std::string error;
    ASSERT_TRUE(ParseLanguageLibrary(nested(16, true), &parsed, &error)) << error;
    EXPECT_FALSE(ParseLanguageLibrary(nested(17, true), &parsed, &error));
    EXPECT_NE(error.find("nested"), std::string::npos) << error;
    // A file of nothing but popups, within the 4 MB a library may have, is
    // refused instead of overflowing the stack while it is freed.
    const std::string deep = nested(450000, false);
    ASSERT_LT(deep.size(), 4u * 1024 * 1024);
    EXPECT_FALSE(ParseLanguageLibrary(deep, &parsed, &error));
    EXPECT_NE(error.find("nested"), std::string::npos) << error;
}

class SelectLanguageTest : public LanguageLibraryTest {
protected:
    void SetUp() override {
        LanguageLibraryTest::SetUp();
        Profile::SetPath(dir.File("brelko.ini"));
    }
};

TEST_F(SelectLanguageTest, TheSettingsNameTheLibrary) {
    WriteFile(dir.File("marked.lng"), MarkedEnglish());
    WriteFile(dir.File("brelko.ini"),
              "[Language]\nCurrentLanguage=2\nLanguagecount=3\n1=English\n2=Marked\n3=Dansk\n"
              "English=english.lng\nMarked=" + dir.File("marked.lng") + "\nDansk=danish.lng\n");
    ASSERT_TRUE(SelectLanguage(Profile::GetInt("Language", "CurrentLanguage", 1)));
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Marked ready");
    ASSERT_TRUE(SelectLanguage(3));
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Klar");
    EXPECT_EQ(LoadMenu(IDR_MAINFRAME)->items.front().text, "&Filer");
}

TEST_F(SelectLanguageTest, MissingEntriesKeepTheCurrentSource) {
    WriteFile(dir.File("brelko.ini"), "[Language]\n1=English\n2=Klingon\nKlingon=klingon.lng\n3=Nameless\n");
    SetBuiltinLanguage(Language::Danish);
    EXPECT_FALSE(SelectLanguage(0));  // no key "0": display name "None", no library
    EXPECT_FALSE(SelectLanguage(1));  // no library key for "English"
    EXPECT_FALSE(SelectLanguage(2));  // library file missing
    EXPECT_FALSE(SelectLanguage(3));
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Klar");

    // A "None" entry is honoured like any other name.
    WriteFile(dir.File("brelko.ini"), "[Language]\nNone=english.lng\n");
    EXPECT_TRUE(SelectLanguage(1));
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Ready");
}

TEST_F(SelectLanguageTest, NoSettingsFileKeepsTheBuiltInTable) {
    EXPECT_FALSE(SelectLanguage(1));
    EXPECT_EQ(LoadString(AFX_IDS_IDLEMESSAGE), "Ready");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{});  // reading creates nothing
}

}  // namespace
}  // namespace brelko
