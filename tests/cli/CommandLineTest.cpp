// The command line in both languages: the help, each command's own help,
// the parser's errors and the bounds of --timeout, from the built program.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/cli/CliRunner.h"
#include "tests/cli/TestFiles.h"

namespace {

const char* const kCommands[] = {"identify",    "backup", "restore",     "get-menu", "get-language",
                                 "send-language", "get-picture", "convert", "arc", "port-status",
                                 "ports",       "diff"};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(CommandLineTest, TheDanishHelpHasNoEnglishLeft) {
    const CliResult r = RunCli({"--lang", "da", "--help"});
    EXPECT_EQ(0, r.status) << r.err;
    for (const char* danish : {"Brug: brelko-cli", "Valgmuligheder:", "Kommandoer:", "Afslutningsstatus:",
                               "Simulatorens forvalg", "Simulatorens fejl", "Vis denne hjælp", "SEKUNDER"})
        EXPECT_TRUE(Contains(r.out, danish)) << danish << "\n" << r.out;
    for (const char* english : {"Usage", "Options", "Subcommands", "Exit statuses", "REQUIRED", "Print this help",
                                "program version", "TEXT", "FLOAT", "INT", "Commands:", "presets", "the faults below",
                                "Seconds of silence", "Record every byte"})
        EXPECT_FALSE(Contains(r.out, english)) << english << "\n" << r.out;
}

TEST(CommandLineTest, EveryCommandsHelpNamesItsOwnAndPointsToTheMainHelp) {
    struct Language {
        const char* lang;
        const char* pointer;
        const char* table;
    };
    for (const Language& language : {Language{"en", "Exit statuses, simulator presets and fault switches: brelko-cli --help",
                                              "  0  success"},
                                     Language{"da", "Afslutningsstatus, simulatorens forvalg og fejl: brelko-cli --help",
                                              "  0  udført"}}) {
        for (const char* command : kCommands) {
            SCOPED_TRACE(std::string(language.lang) + " " + command);
            const CliResult r = RunCli({"--lang", language.lang, command, "--help"});
            EXPECT_EQ(0, r.status) << r.err;
            const std::vector<std::string> lines = Lines(r.out);
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.back(), language.pointer) << r.out;
            EXPECT_FALSE(Contains(r.out, language.table)) << r.out;
            EXPECT_FALSE(Contains(r.out, "--timeout")) << "the options of every command stay in --help";
            EXPECT_LT(lines.size(), 16u) << r.out;
            EXPECT_TRUE(Contains(r.out, std::string("brelko-cli ") + command)) << r.out;
        }
    }
    // Their own arguments and options.
    EXPECT_TRUE(Contains(RunCli({"--lang", "en", "backup", "--help"}).out, "--service-data"));
    EXPECT_TRUE(Contains(RunCli({"--lang", "da", "backup", "--help"}).out, "FIL (skal angives)"));
    const std::string restore = RunCli({"--lang", "en", "restore", "--help"}).out;
    for (const char* own : {"FILE (required)", "--force", "--safety-dir FOLDER", "--no-safety-copy"})
        EXPECT_TRUE(Contains(restore, own)) << own << "\n" << restore;
    EXPECT_TRUE(Contains(RunCli({"--lang", "en", "convert", "--help"}).out, "IN (required)"));
    EXPECT_TRUE(Contains(RunCli({"--lang", "en", "arc", "--help"}).out, "extract"));
}

TEST(CommandLineTest, TimeoutTakesOneToThreeThousandSixHundredSecondsWithAPlainMessage) {
    for (const char* bad : {"nan", "0", "3601", "-1", "abc", "inf", "1e400", "0.5", ""}) {
        SCOPED_TRACE(bad);
        const CliResult r = RunCli({"--lang", "en", "--timeout", bad, "ports"});
        EXPECT_EQ(2, r.status) << r.err;
        EXPECT_TRUE(Contains(r.err, "--timeout: give the seconds as a number from 1 to 3600")) << r.err;
        EXPECT_LT(r.err.size(), 200u) << r.err;
    }
    const CliResult danish = RunCli({"--lang", "da", "--timeout", "0", "ports"});
    EXPECT_TRUE(Contains(danish.err, "--timeout: angiv sekunderne som et tal fra 1 til 3600")) << danish.err;
    for (const char* good : {"1", "2.5", "3600"}) {
        const CliResult r = RunCli({"--lang", "en", "--timeout", good, "--simulate", "identify"});
        EXPECT_EQ(0, r.status) << good << ": " << r.err;
    }
}

TEST(CommandLineTest, TheParsersErrorsAreInTheUsersLanguage) {
    struct Case {
        std::vector<std::string> args;
        const char* english;
        const char* danish;
    };
    const Case cases[] = {
        {{"foo"}, "unknown command foo; commands are: identify, backup, restore, get-menu, get-language, "
                  "send-language, get-picture, convert, arc, port-status, ports, diff",
         "ukendt kommando foo; kommandoerne er: identify, backup"},
        {{}, "no command given; commands are: identify", "ingen kommando angivet; kommandoerne er: identify"},
        {{"backup"}, "FILE is missing", "FIL mangler"},
        {{"--port"}, "--port needs a value", "--port skal have en værdi"},
        {{"--port", "300", "identify"}, "--port: give a whole number from 1 to 256", "--port: angiv et helt tal fra 1 til 256"},
        {{"--port", "1", "--device", "/dev/null", "identify"}, "--port and --device cannot be used together",
         "--port og --device kan ikke bruges sammen"},
        {{"--sim-fault", "wrong-echo", "identify"}, "--sim-fault needs --simulate", "--sim-fault kræver --simulate"},
        {{"--bogus", "identify"}, "unknown option --bogus", "ukendt valgmulighed --bogus"},
        {{"identify", "extra"}, "unexpected argument: extra", "uventet argument: extra"},
        {{"arc"}, "arc needs list or extract", "arc skal have list eller extract"},
        {{"--lang", "fr", "ports"}, "--lang: give one of en, da", "--lang: angiv en af en, da"},
    };
    for (const Case& c : cases) {
        for (const std::string lang : {"en", "da"}) {
            std::vector<std::string> args = {"--lang", lang};
            args.insert(args.end(), c.args.begin(), c.args.end());
            if (c.args.size() >= 2 && c.args[0] == "--lang") args.erase(args.begin(), args.begin() + 2);
            const CliResult r = RunCli(args);
            const std::string expected = lang == "en" || args[1] != lang ? c.english : c.danish;
            SCOPED_TRACE(expected);
            EXPECT_EQ(2, r.status) << r.err;
            EXPECT_TRUE(Contains(r.err, "brelko-cli: " + expected)) << r.err;
            EXPECT_EQ(2, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
        }
    }
}
