// The command line tells what happened: a damaged version, the faults of the
// line each with its own words, the trace's own troubles, the end of a
// restore however the program ends, the safety copy's folder, the holder of
// a port's lock. Against the simulator and scripted far ends on a pty.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "tests/cli/CliRunner.h"
#include "tests/support/PtyPeer.h"
#include "tests/cli/TestFiles.h"

extern char** environ;

namespace {

using brelko::test::PtyPeer;

std::vector<std::string> Sim(const std::string& lang, std::vector<std::string> more) {
    std::vector<std::string> args = {"--lang", lang, "--simulate=tz410-3.2.E", "--sim-restart", "0"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// A far end that answers the version request with these bytes after the echo.
PtyPeer::Responder VersionReply(std::string reply) {
    return [reply](const std::string& line) { return line == "GET VERSION" ? reply : std::string("\r\n>"); };
}

// Settings ending in the end marker, 20 KB unless asked otherwise.
std::string Settings(std::size_t size = 20000) {
    std::string text;
    for (int i = 0; text.size() < size; ++i) text += "\r\nSETTING" + std::to_string(i) + "=NEW VALUE";
    return text + "\r\n[END]\r\n";
}

bool HasByteAbove7E(const std::string& text, unsigned char byte) {
    return text.find(static_cast<char>(byte)) != std::string::npos;
}

}  // namespace

TEST(OutcomeTest, AVersionDamagedOnTheLineIsAnUnknownSystemShownEscaped) {
    struct Case {
        std::string reply;  // as it came
        std::string shown;  // as the tool shows it
    };
    const Case cases[] = {
        {"TZ410 VISION 3\xd1" "2.E", "TZ410 VISION 3<D1>2.E"},  // a point damaged on the line
        {"TZ410 Vision 3..E", "TZ410 Vision 3..E"},              // a digit dropped
        {"TZ410 Vision 3.2.\x8f", "TZ410 Vision 3.2.<8F>"},      // no letter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        PtyPeer peer(VersionReply("\r\n" + c.reply + "\r\n>"));
        const CliResult r = RunCli({"--lang", "en", "--device", peer.DevicePath(), "identify"});
        EXPECT_EQ(6, r.status) << r.err;
        EXPECT_TRUE(Contains(r.out, "Reply:           " + c.shown)) << r.out;
        EXPECT_TRUE(Contains(r.out, "State:           Unknown vision system")) << r.out;
        EXPECT_FALSE(Contains(r.out, "Product:")) << r.out;
        for (unsigned char b : {0xd1, 0x8f}) {
            EXPECT_FALSE(HasByteAbove7E(r.out, b)) << "never raw on the terminal";
            EXPECT_FALSE(HasByteAbove7E(r.err, b));
        }
    }
    // Nor does a backup start on it with request words of another release.
    TempDir dir;
    PtyPeer peer(VersionReply("\r\nTZ410 VISION 3\xd1" "2.E\r\n>"));
    const CliResult backup = RunCli({"--lang", "en", "--device", peer.DevicePath(), "backup", dir.File("b.asc")});
    EXPECT_EQ(6, backup.status) << backup.err;
    EXPECT_FALSE(Contains(peer.Heard(), "GET ALL")) << peer.Heard();
    EXPECT_FALSE(Contains(peer.Heard(), "UPLOAD")) << peer.Heard();
}

TEST(OutcomeTest, ATraceThatCannotBeOpenedEndsIdentifyWithElevenBeforeTheLineIsUsed) {
    const CliResult r = RunCli(Sim("en", {"--trace", "/nonexistent/x", "identify"}));
    EXPECT_EQ(11, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "Cannot write /nonexistent/x")) << r.err;
    EXPECT_FALSE(Contains(r.out, "State:")) << r.out;
}

TEST(OutcomeTest, ATraceTargetThatIsNoFileIsRefusedUnlessItIsStandardOutput) {
    TempDir dir;
    const std::string fifo = dir.File("trace.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& target : {fifo, std::string("/dev/null"), dir.Path()}) {
        const CliResult r = RunCli(Sim("en", {"--trace", target, "identify"}));
        EXPECT_EQ(11, r.status) << target << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, "Cannot write " + target + ": ")) << r.err;
    }
    // "-" is standard output, by name.
    const CliResult out = RunCli(Sim("en", {"--trace", "-", "identify"}));
    EXPECT_EQ(0, out.status) << out.err;
    EXPECT_TRUE(Contains(out.out, "> GET VERSION<0A>")) << out.out;
    EXPECT_TRUE(Contains(out.out, "trace stopped")) << out.out;
    EXPECT_TRUE(Contains(out.out, "State:           Ready")) << out.out;
}

TEST(OutcomeTest, EveryLineFaultSaysWhatHappenedWithTheStatusOfItsState) {
    struct Case {
        std::vector<std::string> faults;
        int status;
        const char* english;
        const char* danish;
    };
    const Case cases[] = {
        {{"wrong-echo"}, 5, "the system echoed something else", "systemet sendte et andet ekko"},
        {{"noise=40"}, 5, "the line is noisy: 40 bytes did not belong to the answer",
         "linjen støjer: 40 bytes hørte ikke til svaret"},
        {{"request=GET VERSION", "hang-up-after=0"}, 6, "the device vanished (unplugged?)",
         "enheden forsvandt (taget ud?)"},
    };
    for (const Case& c : cases) {
        for (const std::string lang : {"en", "da"}) {
            std::vector<std::string> args;
            for (const std::string& fault : c.faults) args.insert(args.end(), {"--sim-fault", fault});
            args.push_back("identify");
            const CliResult r = RunCli(Sim(lang, args));
            const std::string text = lang == "en" ? c.english : c.danish;
            SCOPED_TRACE(text);
            EXPECT_EQ(c.status, r.status) << r.err;
            EXPECT_TRUE(Contains(r.err, text)) << r.err;
            EXPECT_FALSE(Contains(r.err, "Wrong com port")) << r.err;
            EXPECT_FALSE(Contains(r.err, "Forkert port")) << r.err;
        }
    }
    // No echo at all is the wrong port, as ever, with what to check.
    PtyPeer silent([](const std::string&) { return std::string(); }, false);
    const CliResult r = RunCli({"--lang", "en", "--device", silent.DevicePath(), "identify"});
    EXPECT_EQ(5, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "Wrong com port selected on vision system")) << r.err;
    EXPECT_TRUE(Contains(r.err, "no answer: check the cable, the system's power and its COM port setting")) << r.err;
}

TEST(OutcomeTest, ABackupCutByAVanishedDeviceSaysSo) {
    TempDir dir;
    const CliResult r = RunCli(Sim("en", {"--timeout", "1", "--sim-fault", "request=UPLOAD", "--sim-fault",
                                          "hang-up-after=300", "backup", dir.File("h.asc")}));
    EXPECT_EQ(7, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "The device vanished (unplugged?)")) << r.err;
    EXPECT_FALSE(Contains(r.err, "Wrong com port")) << r.err;
}

TEST(OutcomeTest, ThoughTheProgramEndsAtOnceARestoreThatBeganSaysHowToGetTheOldSettingsBack) {
    TempDir dir;
    const std::string locks = dir.File("locks");
    std::filesystem::create_directory(locks);
    Put(dir.File("new.asc"), Settings());
    CliRun run;
    // The system restarts for a while once the clearing has ended the block:
    // the clearing waits for it.
    run.args = {"--lang", "en", "--simulate=tz410-3.2.E", "--sim-restart", "30", "--sim-baud", "9600",
                "restore", "--no-safety-copy", dir.File("new.asc")};
    run.env = {"BRELKO_LOCK_DIR=" + locks};
    // Once the block is on the line: asked to stop, insisted, and then the
    // Ctrl+C that quits at once, during the clearing.
    run.signalEach = {"Bytes sent: 000000", "A restore cannot be stopped halfway", "The restore was stopped halfway."};
    const CliResult r = RunCli(run);
    ASSERT_EQ(r.signalsEach, 3u) << r.err;
    EXPECT_EQ(130, r.status) << r.err;
    const std::string after = r.err.substr(r.err.find("The restore was stopped halfway."));
    EXPECT_TRUE(Contains(after, "The system can have received ")) << r.err;
    EXPECT_TRUE(Contains(after, "The vision system may now hold part of the new settings")) << r.err;
    EXPECT_EQ(std::filesystem::directory_iterator(locks), std::filesystem::directory_iterator())
        << "no lock file left";
}

TEST(OutcomeTest, OneCtrlCDuringARestoreTellsTheSecondsTheQueuedBytesStillTake) {
    TempDir dir;
    const std::string settings = Settings(40000);
    Put(dir.File("new.asc"), settings);
    CliRun run;
    run.args = Sim("en", {"--sim-baud", "9600", "restore", "--no-safety-copy", dir.File("new.asc")});
    // A few seconds in, when the pseudo-terminal has taken much more than
    // the line has carried.
    run.signalWhen = "Bytes sent: ";
    run.signalAtOccurrence = 2;
    const auto start = std::chrono::steady_clock::now();
    const CliResult r = RunCli(run);
    ASSERT_TRUE(r.signalSent) << r.err;
    EXPECT_EQ(0, r.status) << r.err;
    const std::string marker = "it still runs for about ";
    const std::size_t at = r.err.find(marker);
    ASSERT_NE(at, std::string::npos) << r.err;
    const long seconds = std::stol(r.err.substr(at + marker.size()));
    // What was still to go at 960 bytes a second, whatever the
    // pseudo-terminal took in at once: the whole run took that long after.
    const auto took = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(seconds, static_cast<long>(settings.size() / 960) - 12) << r.err;
    EXPECT_LE(seconds, took.count()) << r.err;
}

TEST(OutcomeTest, ARestoredSafetyCopyGetsItsCopyBesideItAndAnUnusableFolderStopsBeforeTheFetch) {
    TempDir dir;
    TempDir first;
    ASSERT_EQ(0, RunCli(Sim("en", {"backup", dir.File("line.asc")})).status);
    const CliResult once = RunCli(Sim("en", {"restore", dir.File("line.asc")}));
    ASSERT_EQ(0, once.status) << once.err;
    std::string copy;
    for (const auto& e : std::filesystem::directory_iterator(dir.File("safety"))) copy = e.path().string();
    ASSERT_FALSE(copy.empty());

    const CliResult again = RunCli(Sim("en", {"restore", copy}));
    EXPECT_EQ(0, again.status) << again.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("safety/safety"))) << again.out;
    std::size_t copies = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.File("safety"))) ++copies;
    EXPECT_EQ(copies, 2u) << "the new copy beside the one restored";

    // A folder that cannot take the copy is known before the current
    // settings are fetched, in the system's own words.
    Put(dir.File("plain"), "a file where the folder should be");
    const CliResult refused = RunCli(Sim("en", {"restore", "--safety-dir", dir.File("plain/safety"), dir.File("line.asc")}));
    EXPECT_EQ(11, refused.status) << refused.err;
    EXPECT_TRUE(Contains(refused.err, dir.File("plain/safety") + ": Not a directory")) << refused.err;
    EXPECT_FALSE(Contains(refused.err, "Fetching a safety copy")) << refused.err;
    EXPECT_FALSE(Contains(refused.err, "Recieving data")) << refused.err;
}

TEST(OutcomeTest, APortHeldByALiveLockNamesItsHolder) {
    TempDir dir;
    brelko::test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const std::string slave = pty.SlavePath();
    Put(dir.File("b.ini"), "[Ports]\nCOM3=" + slave + "\n");
    const std::string locks = dir.File("locks");
    std::filesystem::create_directory(locks);
    // Another program, holding the port by its lock file alone.
    pid_t holder = 0;
    const char* sleepArgs[] = {"sleep", "30", nullptr};
    ASSERT_EQ(posix_spawnp(&holder, "sleep", nullptr, nullptr, const_cast<char**>(sleepArgs), environ), 0);
    char pid[16];
    std::snprintf(pid, sizeof pid, "%10ld\n", static_cast<long>(holder));
    Put(locks + "/LCK.." + slave.substr(5).replace(3, 1, "_"), pid);  // LCK..pts_N

    CliRun run;
    run.args = {"--lang", "en", "--ini", dir.File("b.ini"), "ports"};
    run.env = {"BRELKO_LOCK_DIR=" + locks};
    const CliResult r = RunCli(run);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    pty.CloseMaster();
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Contains(r.out, "in use by:  sleep (pid " + std::to_string(holder) + ", ")) << r.out;
}

TEST(OutcomeTest, DanishRunsAreDanishToTheSystemsOwnTexts) {
    // The system's reason for a folder that is missing, in Danish where the
    // C library has it.
    if (!std::filesystem::exists("/usr/share/locale/da/LC_MESSAGES/libc.mo"))
        GTEST_SKIP() << "the C library's Danish texts are not installed (package libc-l10n)";
    TempDir dir;
    const CliResult r = RunCli({"--lang", "da", "convert", dir.File("none.mtx"), dir.File("x.tga")});
    EXPECT_EQ(10, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "Ingen sådan fil eller filkatalog")) << r.err;
    EXPECT_FALSE(Contains(r.err, "No such file")) << r.err;
    // The port's own reasons too.
    const CliResult missing = RunCli({"--lang", "da", "--device", dir.File("no-such-tty"), "identify"});
    EXPECT_EQ(3, missing.status) << missing.err;
    EXPECT_TRUE(Contains(missing.err, dir.File("no-such-tty") + " findes ikke")) << missing.err;
    EXPECT_FALSE(Contains(missing.err, "No such")) << missing.err;
    // And an English run under a Danish locale is English throughout.
    CliRun run;
    run.args = {"--lang", "en", "convert", dir.File("none.mtx"), dir.File("x.tga")};
    run.env = {"LC_ALL=da_DK.UTF-8", "LANGUAGE=da"};
    const CliResult english = RunCli(run);
    EXPECT_TRUE(Contains(english.err, "No such file or directory")) << english.err;
}
