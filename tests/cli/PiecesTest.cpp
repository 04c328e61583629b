// Exit statuses, texts, options and progress of brelko-cli.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>

#include "cli/CliText.h"
#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Options.h"
#include "cli/Progress.h"
#include "platform/AtomicFile.h"
#include "cli/SignalWatcher.h"
#include "sim/SimConfig.h"
#include "sim/SimOptions.h"
#include "platform/Strings.h"
#include "tests/cli/TestFiles.h"
#include "tests/support/PtyPeer.h"

using namespace brelko;
using namespace brelko::cli;

namespace {

struct LanguageGuard {
    explicit LanguageGuard(Language language) : saved(BuiltinLanguage()) { SetBuiltinLanguage(language); }
    ~LanguageGuard() { SetBuiltinLanguage(saved); }
    Language saved;
};

std::string ReadBack(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    char buffer[256];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    return text;
}

}  // namespace

TEST(ExitStatusTest, FirstFailingFlagDecides) {
    struct Case {
        LineState state;
        ExitStatus expected;
    };
    const Case cases[] = {
        {{false, true, true, true, true}, ExitStatus::PortOpen},
        {{false, false, false, false, false}, ExitStatus::PortOpen},
        {{true, false, true, true, true}, ExitStatus::NoContact},
        {{true, true, false, false, false}, ExitStatus::WrongPort},
        {{true, true, true, false, false}, ExitStatus::UnknownSystem},
        {{true, true, true, true, false}, ExitStatus::WrongPort},
        {{true, true, true, true, true}, ExitStatus::Ok},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, ExitStatusForState(c.state));
}

TEST(ExitStatusTest, TableListsDistinctStatusesWithTextsInBothLanguages) {
    for (Language language : {Language::English, Language::Danish}) {
        LanguageGuard guard(language);
        std::set<int> seen;
        for (const ExitStatusRow& row : ExitStatusTable()) {
            EXPECT_TRUE(seen.insert(ToInt(row.status)).second) << ToInt(row.status);
            EXPECT_FALSE(row.text.empty());
        }
        EXPECT_EQ(13u, seen.size());
        const std::string text = ExitStatusTableText();
        EXPECT_NE(std::string::npos, text.find("  130  "));
        EXPECT_NE(std::string::npos, text.find("    9  "));
    }
    LanguageGuard danish(Language::Danish);
    EXPECT_NE(std::string::npos, ExitStatusTableText().find("afbrudt"));
}

TEST(CliTextTest, EveryTextExistsInBothLanguages) {
    for (int id = 0; id <= static_cast<int>(Text::Stopping); ++id) {
        LanguageGuard english(Language::English);
        const std::string en = CliText(static_cast<Text>(id));
        SetBuiltinLanguage(Language::Danish);
        const std::string da = CliText(static_cast<Text>(id));
        EXPECT_FALSE(en.empty()) << id;
        EXPECT_FALSE(da.empty()) << id;
    }
    LanguageGuard danish(Language::Danish);
    EXPECT_EQ("Afbrudt", CliText(Text::Cancelled));
}

TEST(CliTextTest, FormatReplacesNumberedArgumentsOnce) {
    EXPECT_EQ("Saved a.asc (12 bytes)", Format("Saved %1 (%2 bytes)", {"a.asc", "12"}));
    // An argument that itself holds %2 is not expanded again.
    EXPECT_EQ("x %2 y", Format("x %1 y", {"%2", "no"}));
    // Missing arguments and a trailing % stay as they are.
    EXPECT_EQ("%3 and %", Format("%3 and %", {"a"}));
    EXPECT_EQ("b a", Format("%2 %1", {"a", "b"}));
}

TEST(OptionsTest, BareSimulateBecomesTheDefaultPresetAndKeepsTheCommand) {
    const char* argv[] = {"brelko-cli", "--simulate", "identify", "--simulate=kaldspot-1.7.A"};
    const auto args = NormaliseArguments(4, argv);
    ASSERT_EQ(4u, args.size());
    EXPECT_EQ("--simulate=" + SimConfig{}.preset, args[1]);
    EXPECT_EQ("identify", args[2]);
    EXPECT_EQ("--simulate=kaldspot-1.7.A", args[3]);
}

TEST(OptionsTest, PeekOptionTakesTheLastValueInEitherForm) {
    const std::vector<std::string> args = {"brelko-cli", "--lang", "da", "--ini=/x.ini", "--lang=en", "--", "--ini", "y"};
    EXPECT_EQ("en", PeekOption(args, "--lang").value());
    EXPECT_EQ("/x.ini", PeekOption(args, "--ini").value());
    EXPECT_FALSE(PeekOption(args, "--port").has_value());
    // A trailing option without its value is not a value.
    EXPECT_FALSE(PeekOption({"brelko-cli", "--lang"}, "--lang").has_value());
}

TEST(SimOptionsTest, FaultSwitchesSetTheirFields) {
    SimFaults faults;
    std::string error;
    ASSERT_TRUE(ApplySimFault("silent-after=120", faults, &error)) << error;
    ASSERT_TRUE(ApplySimFault("wrong-checksum", faults, &error)) << error;
    ASSERT_TRUE(ApplySimFault("request=GET PICTURE", faults, &error)) << error;
    ASSERT_TRUE(ApplySimFault("hang-up-after=0", faults, &error)) << error;
    EXPECT_EQ(120, faults.silentAfter);
    EXPECT_TRUE(faults.wrongChecksum);
    EXPECT_EQ("GET PICTURE", faults.request);
    EXPECT_EQ(0, faults.hangUpAfter);
    EXPECT_FALSE(faults.noPrompt);
}

TEST(SimOptionsTest, BadSwitchesAreRefusedWithAReason) {
    const char* bad[] = {"no-such", "silent-after", "silent-after=-3", "silent-after=12x", "wrong-echo=1",
                         "request=", "noise=abc"};
    for (const char* text : bad) {
        SimFaults faults;
        std::string error;
        EXPECT_FALSE(ApplySimFault(text, faults, &error)) << text;
        EXPECT_NE(std::string::npos, error.find(text)) << error;
        EXPECT_FALSE(faults.Any()) << text;
    }
}

TEST(ProgressTest, TextIsTheStatusWindowsOnOneLine) {
    LanguageGuard english(Language::English);
    EXPECT_EQ("Bytes received: 001500  Of Total :    003632  Seconds left 2",
              ProgressText(Direction::Receiving, 1500, 3632));
    EXPECT_EQ("Bytes sent: 000100", ProgressText(Direction::Sending, 100, 0));
    // Past the total: no wrapped count of seconds.
    EXPECT_EQ("Bytes received: 004000  Of Total :    003632  Seconds left 0",
              ProgressText(Direction::Receiving, 4000, 3632));
    SetBuiltinLanguage(Language::Danish);
    EXPECT_EQ("Bytes modtaget: 1234567", ProgressText(Direction::Receiving, 1234567, 0));
}

TEST(ProgressTest, BarFillsByShareAndStopsAtFull) {
    EXPECT_EQ("", ProgressBar(5, 0, 10));
    EXPECT_EQ("[..........]   0%", ProgressBar(0, 100, 10));
    EXPECT_EQ("[#####.....]  50%", ProgressBar(50, 100, 10));
    EXPECT_EQ("[#########.]  99%", ProgressBar(99, 100, 10));
    EXPECT_EQ("[##########] 100%", ProgressBar(100, 100, 10));
    EXPECT_EQ("[##########] 100%", ProgressBar(250, 100, 10));
}

TEST(ProgressTest, BarLineFitsTheTerminal) {
    LanguageGuard english(Language::English);
    const std::string text = ProgressText(Direction::Receiving, 1500, 3632);  // 61 columns
    // Wide: text and a full bar.
    EXPECT_EQ(text + "  [#########...............]  41%", ProgressBarLine(Direction::Receiving, 1500, 3632, 200));
    // Narrower: a shorter bar, one column spare.
    const std::string mid = ProgressBarLine(Direction::Receiving, 1500, 3632, 85);
    EXPECT_EQ(84u, mid.size());
    EXPECT_EQ(0u, mid.find(text + "  ["));
    // Too narrow for a bar: the text alone, cut to fit.
    EXPECT_EQ(text, ProgressBarLine(Direction::Receiving, 1500, 3632, 70));
    EXPECT_EQ(text.substr(0, 39), ProgressBarLine(Direction::Receiving, 1500, 3632, 40));
    // An unknown total never gets a bar.
    EXPECT_EQ("Bytes received: 001500", ProgressBarLine(Direction::Receiving, 1500, 0, 200));
}

TEST(ProgressTest, LinesModePrintsFirstAndLastValue) {
    LanguageGuard english(Language::English);
    std::FILE* out = std::tmpfile();
    ASSERT_NE(nullptr, out);
    {
        ProgressReporter progress(out, ProgressReporter::Mode::Lines, std::chrono::hours(1));
        progress.State("Recieving data");
        progress.State("Recieving data");  // unchanged states are not repeated
        progress.Update(Direction::Receiving, 0, 300);
        progress.Update(Direction::Receiving, 100, 300);
        progress.Update(Direction::Receiving, 300, 300);
        progress.Finish();
        progress.Finish();
    }
    EXPECT_EQ("Recieving data\n"
              "Bytes received: 000000  Of Total :    000300  Seconds left 0\n"
              "Bytes received: 000300  Of Total :    000300  Seconds left 0\n",
              ReadBack(out));
    std::fclose(out);
}

TEST(ProgressTest, BarModeRedrawsInPlaceAndEndsWithALineFeed) {
    LanguageGuard english(Language::English);
    std::FILE* out = std::tmpfile();
    ASSERT_NE(nullptr, out);
    {
        ProgressReporter progress(out, ProgressReporter::Mode::Bar);
        progress.Update(Direction::Sending, 0, 200);
        progress.Update(Direction::Sending, 200, 200);
    }  // the destructor finishes the bar
    const std::string text = ReadBack(out);
    EXPECT_EQ(0u, text.find("\rBytes sent: 000000"));
    EXPECT_NE(std::string::npos, text.find("\rBytes sent: 000200  Of Total :    000200  Seconds left 0  [#"));
    EXPECT_EQ('\n', text.back());
    EXPECT_EQ(1, std::count(text.begin(), text.end(), '\n'));
    std::fclose(out);
}

TEST(ProgressTest, BarModeRedrawsAtMostOncePerIntervalAndShowsTheLastValue) {
    LanguageGuard english(Language::English);
    std::FILE* out = std::tmpfile();
    ASSERT_NE(nullptr, out);
    {
        ProgressReporter progress(out, ProgressReporter::Mode::Bar, std::chrono::seconds(5), std::chrono::hours(1));
        for (std::uint64_t bytes = 0; bytes <= 20000; bytes += 20) progress.Update(Direction::Receiving, bytes, 0);
    }
    const std::string text = ReadBack(out);
    // The first value and, at the end, the last: not a thousand redraws.
    EXPECT_EQ(2, std::count(text.begin(), text.end(), '\r')) << text;
    EXPECT_NE(std::string::npos, text.find("\rBytes received: 020000"));
    std::fclose(out);
}

TEST(ProgressTest, OffModeAndPipesAreNotBars) {
    std::FILE* out = std::tmpfile();
    EXPECT_EQ(ProgressReporter::Mode::Off, ProgressReporter::ModeFor(out, true));
    EXPECT_EQ(ProgressReporter::Mode::Lines, ProgressReporter::ModeFor(out, false));
    {
        ProgressReporter progress(out, ProgressReporter::Mode::Off);
        progress.State("x");
        progress.Update(Direction::Receiving, 1, 2);
    }
    EXPECT_EQ("", ReadBack(out));
    std::fclose(out);
}

TEST(ProgressTest, ATerminalGetsTheBar) {
    brelko::test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    std::FILE* terminal = std::fopen(pty.SlavePath().c_str(), "w");
    ASSERT_NE(nullptr, terminal);
    EXPECT_EQ(ProgressReporter::Mode::Bar, ProgressReporter::ModeFor(terminal, false));
    EXPECT_EQ(ProgressReporter::Mode::Off, ProgressReporter::ModeFor(terminal, true));
    std::fclose(terminal);
}

TEST(ConsoleTest, QuietKeepsResultsAndFailuresOnly) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    {
        Console console(out, err, true);
        console.Result("Product: TZ410");
        console.Info("Saved a.asc (12 bytes)");
        console.Error("Error recieving data!\n");
        console.Progress().Update(Direction::Receiving, 5, 10);
    }
    EXPECT_EQ("Product: TZ410\n", ReadBack(out));
    EXPECT_EQ("Error recieving data!\n", ReadBack(err));
    std::fclose(out);
    std::fclose(err);
}

TEST(SignalWatcherTest, SignalRunsTheActionOnTheWatcherThreadOnce) {
    std::atomic<int> calls{0};
    std::atomic<int> signalSeen{0};
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> otherThread{false};
    struct sigaction ignore {}, saved {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGINT, &ignore, &saved);
    {
        SignalWatcher watcher([&](int signal) {
            signalSeen = signal;
            otherThread = std::this_thread::get_id() != mainThread;
            ++calls;
        });
        raise(SIGTERM);
        for (int i = 0; i < 200 && calls == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(SIGTERM, watcher.Received());
    }
    EXPECT_EQ(1, calls.load());
    EXPECT_EQ(SIGTERM, signalSeen.load());
    EXPECT_TRUE(otherThread.load());
    // The previous handler is back: an ignored SIGINT is ignored again.
    struct sigaction current {};
    sigaction(SIGINT, nullptr, &current);
    EXPECT_EQ(SIG_IGN, current.sa_handler);
    sigaction(SIGINT, &saved, nullptr);
}

TEST(SignalWatcherTest, EverySignalReachesTheActionUntilItArmsTheExit) {
    std::atomic<int> calls{0};
    {
        SignalWatcher watcher([&](int) { ++calls; });
        for (int sent = 1; sent <= 2; ++sent) {
            raise(SIGINT);
            for (int i = 0; i < 200 && calls < sent; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(2, watcher.Count());
    }
    EXPECT_EQ(2, calls.load());
}

TEST(SignalWatcherTest, AnArmedExitRemovesTheTemporaryFilesFirst) {
    TempDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        brelko::AtomicFile file;
        if (!file.Open(dir.File("backup.asc"))) _exit(1);
        SignalWatcher watcher([](int) { SignalWatcher::ExitOnNextSignal(); });
        raise(SIGINT);  // the action arms the exit
        for (int i = 0; i < 500; ++i) {
            raise(SIGINT);  // once armed, this one ends the process
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        _exit(2);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(128 + SIGINT, WEXITSTATUS(status));
    EXPECT_EQ(0u, dir.Entries().size()) << "no temporary file left beside the target";
}
