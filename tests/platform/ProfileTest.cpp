#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>

#include "platform/Profile.h"
#include "tests/support/Sandbox.h"

namespace brelko {
namespace {

using test::ReadFile;
using test::ScopedEnv;
using test::TempDir;
using test::WriteFile;

class ProfileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("brelko.ini");
    IniFile ini{path};
};

TEST_F(ProfileTest, NamesCompareWithoutCase) {
    WriteFile(path, "[Custom]\nComport=3\nDirectory=C:\\Data\n[Language]\nCurrentLanguage=2\n");
    EXPECT_EQ(ini.GetInt("custom", "COMPORT", 1), 3);
    EXPECT_EQ(ini.GetString("CUSTOM", "directory", ""), "C:\\Data");
    EXPECT_EQ(ini.GetInt("language", "currentlanguage", 1), 2);
    // Writing under another spelling changes the existing key, not a new one.
    ASSERT_TRUE(ini.WriteInt("CUSTOM", "comPORT", 4));
    EXPECT_EQ(ReadFile(path), "[Custom]\nComport=4\nDirectory=C:\\Data\n[Language]\nCurrentLanguage=2\n");
}

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(ini.GetInt("Custom", "Comport", -1), -1);
    EXPECT_EQ(ini.GetString("Language", "1", "None"), "None");
    WriteFile(path, "[Custom]\nComport=2\nDirectory=\nStatus=\n");
    EXPECT_EQ(ini.GetString("Language", "1", "None"), "None");
    EXPECT_EQ(ini.GetInt("Custom", "Missing", 7), 7);
    // A key that is present but empty reads as empty text; as a number it
    // gives the default, as on Windows.
    EXPECT_EQ(ini.GetString("Custom", "Directory", "def"), "");
    EXPECT_EQ(ini.GetInt("Custom", "Status", 5), 5);
    // Keys before the first section belong to no section.
    WriteFile(path, "Comport=9\n[Custom]\n");
    EXPECT_EQ(ini.GetInt("Custom", "Comport", 1), 1);
}

TEST_F(ProfileTest, IntegersAreDecimalTextReadAsWindowsDoes) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"42", 42},        {"  -5", -5},   {"12abc", 12},  {"abc", 0},          {"+7", 7},
        {"-", 0},          {"0x10", 0},    {"007", 7},     {"1 2", 1},          {"-0", 0},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
        {"\"12\"", 12},    {"1.5", 1},
    };
    for (const auto& c : cases) {
        WriteFile(path, std::string("[S]\nK=") + c.text + "\n");
        EXPECT_EQ(ini.GetInt("S", "K", 99), c.expected) << "value \"" << c.text << "\"";
    }
}

TEST_F(ProfileTest, ValuesAreTrimmedAndLoseEnclosingQuotes) {
    WriteFile(path, "[S]\n  a  =  spaced value  \nb=\"quoted  \"\nc='single'\nd=\"unbalanced\ne=x=y\n");
    EXPECT_EQ(ini.GetString("S", "a", ""), "spaced value");
    EXPECT_EQ(ini.GetString("S", "b", ""), "quoted  ");
    EXPECT_EQ(ini.GetString("S", "c", ""), "single");
    EXPECT_EQ(ini.GetString("S", "d", ""), "\"unbalanced");
    EXPECT_EQ(ini.GetString("S", "e", ""), "x=y");
}

TEST_F(ProfileTest, MalformedLinesAreSkipped) {
    const std::string content =
        "garbage without equals\n[Custom\n=no name\n[Custom]\n\x01\x02 binary\nComport=3\n; comment=1\n# other=2\n";
    WriteFile(path, content);
    EXPECT_EQ(ini.GetInt("Custom", "Comport", 1), 3);
    EXPECT_EQ(ini.GetString("Custom", "; comment", "d"), "d");
    EXPECT_EQ(ini.GetString("Custom", "", "d"), "d");
    // ...and kept as they are when the file is written.
    ASSERT_TRUE(ini.WriteInt("Custom", "Status", 1));
    EXPECT_EQ(ReadFile(path),
              "garbage without equals\n[Custom\n=no name\n[Custom]\n\x01\x02 binary\nComport=3\n; comment=1\n# other=2\n"
              "Status=1\n");
}

TEST_F(ProfileTest, TheFirstOfTwoSectionsOfTheSameNameCounts) {
    WriteFile(path, "[A]\nk=1\n[a]\nk=2\nonly=3\n");
    EXPECT_EQ(ini.GetInt("A", "k", 0), 1);
    EXPECT_EQ(ini.GetInt("A", "only", 0), 0);
    ASSERT_TRUE(ini.WriteInt("A", "only", 4));
    EXPECT_EQ(ReadFile(path), "[A]\nk=1\nonly=4\n[a]\nk=2\nonly=3\n");
}

TEST_F(ProfileTest, WritingKeepsEveryOtherLineByteForByte) {
    const std::string before =
        "; Brelko settings\n"
        "[Language]\n"
        "CurrentLanguage = 1   \n"
        "   1=English\n"
        "\n"
        "[Custom]\n"
        "\tDirectory=C:\\Brelko Data  \n"
        "Comport=1\n"
        "\n"
        "\n"
        "[Recent File List]\n"
        "File1=a.mtx\n";
    WriteFile(path, before);

    ASSERT_TRUE(ini.WriteInt("custom", "comport", 3));  // existing key: only its line changes
    std::string expected = before;
    expected.replace(expected.find("Comport=1"), 9, "Comport=3");
    EXPECT_EQ(ReadFile(path), expected);

    ASSERT_TRUE(ini.WriteInt("Custom", "Status", 1));  // new key: after the section's last line
    expected.insert(expected.find("Comport=3\n") + 10, "Status=1\n");
    EXPECT_EQ(ReadFile(path), expected);

    ASSERT_TRUE(ini.WriteInt("Language", "CurrentLanguage", 2));  // indentation and name kept
    expected.replace(expected.find("CurrentLanguage = 1   "), 22, "CurrentLanguage=2");
    EXPECT_EQ(ReadFile(path), expected);

    ASSERT_TRUE(ini.WriteString("Settings", "PreviewPages", "2"));  // new section at the end
    expected += "\n[Settings]\nPreviewPages=2\n";
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(ProfileTest, WritingCreatesFileAndSection) {
    ASSERT_TRUE(ini.WriteInt("Custom", "Status", 1));
    EXPECT_EQ(ReadFile(path), "[Custom]\nStatus=1\n");
    ASSERT_TRUE(ini.WriteString("Custom", "Directory", " /data "));
    EXPECT_EQ(ReadFile(path), "[Custom]\nStatus=1\nDirectory= /data \n");
    EXPECT_EQ(ini.GetString("Custom", "Directory", ""), "/data");
}

TEST_F(ProfileTest, WritingKeepsCrLfAndAMissingLastLineEnd) {
    WriteFile(path, "[Custom]\r\nComport=1\r");
    ASSERT_TRUE(ini.WriteInt("Custom", "Status", 0));
    EXPECT_EQ(ReadFile(path), "[Custom]\r\nComport=1\r\nStatus=0\r\n");
    WriteFile(path, "[Custom]\r\nComport=1\r\n[Other]\r\nx=1");
    ASSERT_TRUE(ini.WriteInt("Custom", "Status", 0));
    EXPECT_EQ(ReadFile(path), "[Custom]\r\nComport=1\r\nStatus=0\r\n[Other]\r\nx=1");
    ASSERT_TRUE(ini.WriteInt("Other", "y", 2));
    EXPECT_EQ(ReadFile(path), "[Custom]\r\nComport=1\r\nStatus=0\r\n[Other]\r\nx=1\r\ny=2\r\n");
    EXPECT_EQ(ini.GetInt("Custom", "Comport", 0), 1);
}

TEST_F(ProfileTest, AByteOrderMarkIsNoPartOfTheFirstSection) {
    WriteFile(path, "\xEF\xBB\xBF[Custom]\r\nComport=2\r\n");
    EXPECT_EQ(ini.GetInt("Custom", "Comport", 1), 2);
    ASSERT_TRUE(ini.WriteInt("Custom", "Status", 1));
    EXPECT_EQ(ReadFile(path), "\xEF\xBB\xBF[Custom]\r\nComport=2\r\nStatus=1\r\n");
}

TEST_F(ProfileTest, TextThatWouldBreakTheFileIsRefused) {
    WriteFile(path, "[Custom]\nComport=1\n");
    EXPECT_FALSE(ini.WriteString("Custom", "Directory", "two\nlines"));
    EXPECT_FALSE(ini.WriteString("Custom", "a=b", "x"));
    EXPECT_FALSE(ini.WriteString("Cus]tom", "a", "x"));
    EXPECT_FALSE(ini.WriteString("Custom", "", "x"));
    EXPECT_EQ(ReadFile(path), "[Custom]\nComport=1\n");
}

TEST_F(ProfileTest, NothingIsCached) {
    WriteFile(path, "[Custom]\nComport=1\n");
    EXPECT_EQ(ini.GetInt("Custom", "Comport", 0), 1);
    WriteFile(path, "[Custom]\nComport=2\n");
    EXPECT_EQ(ini.GetInt("Custom", "Comport", 0), 2);
    std::remove(path.c_str());
    EXPECT_EQ(ini.GetInt("Custom", "Comport", 0), 0);
}

TEST_F(ProfileTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
    const std::string before = "[Custom]\nComport=1\n";
    WriteFile(path, before);
    {
        test::FileSizeLimit limit(64);
        EXPECT_FALSE(ini.WriteString("Custom", "Directory", std::string(200, 'x')));
    }
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"brelko.ini"});

    // A successful write leaves just the file too.
    ASSERT_TRUE(ini.WriteInt("Custom", "Comport", 2));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"brelko.ini"});
}

TEST_F(ProfileTest, AFileThatCannotBeReadIsNotOverwritten) {
    // A folder in place of the file: reading fails with something other than
    // "missing", so a write must not replace it with a fresh file.
    std::filesystem::create_directory(path);
    EXPECT_FALSE(ini.WriteInt("Custom", "Comport", 2));
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(ProfileTest, WritingThroughALinkKeepsTheLink) {
    std::string real = dir.File("real.ini");
    WriteFile(real, "[Custom]\nComport=1\n");
    std::filesystem::create_symlink(real, path);
    ASSERT_TRUE(ini.WriteInt("Custom", "Comport", 2));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(ReadFile(real), "[Custom]\nComport=2\n");
}

TEST(ProfilePath, ExecutablePathWithIniExtension) {
    TempDir dir;
    EXPECT_EQ(Profile::DefaultPath(dir.File("brelko")), dir.File("brelko.ini"));
    EXPECT_EQ(Profile::DefaultPath(dir.File("Brelko.exe")), dir.File("Brelko.ini"));
    std::filesystem::create_directory(dir.File("v1.2"));
    EXPECT_EQ(Profile::DefaultPath(dir.File("v1.2/brelko")).substr(dir.Path().size()), "/v1.2/brelko.ini");
}

// An unwritable folder, and the system's program folders even for root (who
// could write there: CI runs as root), leave the settings to the user's folder.
TEST(ProfilePath, UnwritableOrSystemFolderFallsBackToTheUserConfigFolder) {
    for (const char* program : {"/nonexistent-folder/brelko", "/usr/bin/brelko", "/usr/local/bin/brelko-cli", "/bin/brelko"}) {
        TempDir dir;
        std::string path;
        {
            const ScopedEnv config("XDG_CONFIG_HOME", dir.Path());
            path = Profile::DefaultPath(program);
        }
        EXPECT_EQ(path, dir.File("brelko/brelko.ini")) << program;
        EXPECT_TRUE(std::filesystem::is_directory(dir.File("brelko"))) << program;
    }
}

TEST(ProfilePath, ExecutablePathIsThisProgram) {
    std::string exe = Profile::ExecutablePath();
    EXPECT_NE(exe.find("test_platform_profile"), std::string::npos) << exe;
}

TEST(ProfileGlobal, ReadsAndWritesTheFileSetAtStartUp) {
    TempDir dir;
    Profile::SetPath(dir.File("settings.ini"));
    EXPECT_EQ(Profile::Path(), dir.File("settings.ini"));
    EXPECT_EQ(Profile::GetInt("Custom", "Status", 0), 0);
    ASSERT_TRUE(Profile::WriteInt("Custom", "Status", 1));
    ASSERT_TRUE(Profile::WriteString("Custom", "Directory", "/tmp"));
    EXPECT_EQ(Profile::GetInt("CUSTOM", "status", 0), 1);
    EXPECT_EQ(Profile::GetString("Custom", "Directory", ""), "/tmp");
    EXPECT_EQ(ReadFile(dir.File("settings.ini")), "[Custom]\nStatus=1\nDirectory=/tmp\n");
}

}  // namespace
}  // namespace brelko

namespace brelko {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    for (;;) {
        auto nl = text.find('\n', pos);
        std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        // The line ending a write adds to an unterminated last line follows the file's style.
        if (line.ends_with("\r")) line.pop_back();
        lines.push_back(line);
        if (nl == std::string::npos) return lines;
        pos = nl + 1;
    }
}

// Whatever a damaged file holds, reading never fails, a write followed by a
// read gives the value back, and the write changes or adds only its own lines.
TEST(ProfileDamage, AnyContentStillReadsBackWhatWasWrittenAndKeepsTheRest) {
    TempDir dir;
    std::string path = dir.File("damaged.ini");
    IniFile ini(path);
    std::mt19937 random(12345);
    // Pieces that make sections, keys and damage likely to meet.
    const char* pieces[] = {"[Sec]\n", "[sec\n", "[SEC] ;x\r\n", "key=1\n", " KEY = 2 ", "Other=3\n", "[Other]\n",
                            "=\n", "\r\n", "\n", "\r", ";key=4\n", "#", "\"", "\xEF\xBB\xBF", "]", "[", "x", "\t"};
    int replaced = 0;
    for (int round = 0; round < 200; ++round) {
        std::string content;
        std::size_t count = random() % 40;
        for (std::size_t i = 0; i < count; ++i) content += pieces[random() % std::size(pieces)];
        WriteFile(path, content);
        (void)ini.GetString("sec", "key", "");
        (void)ini.GetInt("SEC", "a", 0);
        std::string value = "v" + std::to_string(round);
        ASSERT_TRUE(ini.WriteString("Sec", "Key", value)) << "round " << round;
        ASSERT_EQ(ini.GetString("SEC", "key", ""), value) << "round " << round;

        auto before = SplitLines(content);
        auto after = SplitLines(ReadFile(path));
        if (before.size() == after.size()) {
            // The key's line was replaced: one line differs, and it now holds the value.
            ++replaced;
            int differing = 0;
            for (std::size_t i = 0; i < before.size(); ++i)
                if (before[i] != after[i]) {
                    ++differing;
                    EXPECT_NE(after[i].find("=" + value), std::string::npos) << "round " << round;
                }
            EXPECT_EQ(differing, 1) << "round " << round;
        } else {
            // Lines were added: the old ones all follow in order, and the new
            // ones are the key, its section header or blank.
            ASSERT_GT(after.size(), before.size());
            std::size_t j = 0;
            for (const auto& line : after) {
                if (j < before.size() && line == before[j]) {
                    ++j;
                    continue;
                }
                EXPECT_TRUE(line == "Key=" + value || line == "[Sec]" || line.empty())
                    << "round " << round << ": unexpected line \"" << line << "\"";
            }
            EXPECT_EQ(j, before.size()) << "round " << round << ": an old line went missing";
        }
    }
    EXPECT_GT(replaced, 20);  // both ways of writing were tried
}

}  // namespace
}  // namespace brelko
