// Every device command of brelko-cli end to end against the simulator, with
// its presets, picture forms and fault switches.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/cli/CliRunner.h"
#include "data/PictureFiles.h"
#include "tests/support/PtyPeer.h"
#include "tests/cli/TestFiles.h"

using namespace brelko;

extern char** environ;

namespace {

// The simulator at full pty speed and without the restart pause, in English.
std::vector<std::string> Sim(const std::string& preset, std::vector<std::string> more) {
    std::vector<std::string> args = {"--lang", "en", "--simulate=" + preset, "--sim-restart", "0"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

RgbImage LoadRendered(const std::string& path) {
    Picture picture;
    std::string error;
    EXPECT_TRUE(LoadPicture(path, &picture, &error)) << path << ": " << error;
    return RenderPicture(picture);
}

}  // namespace

TEST(IdentifyTest, EachPresetReportsItsProductAndVersion) {
    struct Case {
        const char* preset;
        const char* product;
        const char* version;
        const char* number;
    };
    const Case cases[] = {
        {"tz410-3.2.E", "TZ410", "3.2.E", "302010"},
        {"tz220-2.11.A", "TZ220", "2.11.A", "211014"},
        {"kaldspot-1.7.A", "KALDspot", "1.7.A", "107009"},
        {"tz410-old", "TZ410", "1.0.F", "100007"},  // answers only "VERSION"
        {"unknown", "QX300", "5.0.B", "500007"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCli(Sim(c.preset, {"identify"}));
        EXPECT_EQ(0, r.status) << c.preset << ": " << r.err;
        EXPECT_TRUE(Contains(r.out, std::string("Product:         ") + c.product)) << r.out;
        EXPECT_TRUE(Contains(r.out, std::string("Version:         ") + c.version)) << r.out;
        EXPECT_TRUE(Contains(r.out, std::string("Version number:  ") + c.number)) << r.out;
        EXPECT_TRUE(Contains(r.out, "State:           Ready")) << r.out;
        EXPECT_TRUE(Contains(r.out, std::string("simulator ") + c.preset)) << r.out;
    }
}

TEST(IdentifyTest, AnEchoWithoutAReplyIsAnUnknownSystem) {
    // The version request is echoed, then nothing (or one byte of noise) follows.
    for (const char* fault : {"silent-after=0", "silent-after=1"}) {
        const CliResult r =
            RunCli(Sim("tz410-3.2.E", {"--sim-fault", "request=GET VERSION", "--sim-fault", fault, "identify"}));
        EXPECT_EQ(6, r.status) << fault << ": " << r.err;
        EXPECT_TRUE(Contains(r.out, "State:           Unknown vision system")) << r.out;
        EXPECT_FALSE(Contains(r.out, "Product:")) << r.out;
    }
}

TEST(IdentifyTest, ASystemThatRefusesBothVersionRequestsIsUnknown) {
    const CliResult r = RunCli(Sim("mute", {"identify"}));
    EXPECT_EQ(6, r.status) << r.err;
    EXPECT_TRUE(Contains(r.out, "State:           Unknown vision system")) << r.out;
    EXPECT_TRUE(Contains(r.err, "Unknown vision system")) << r.err;
    EXPECT_FALSE(Contains(r.out, "Product:")) << "nothing was identified: " << r.out;
    // Nor does any transfer start.
    TempDir dir;
    const CliResult backup = RunCli(Sim("mute", {"backup", dir.File("m.asc")}));
    EXPECT_EQ(6, backup.status) << backup.err;
    EXPECT_EQ(0u, dir.Entries().size());
}

TEST(IdentifyTest, StateLineInDanish) {
    const CliResult r = RunCli({"--lang", "da", "--simulate", "identify"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Contains(r.out, "Tilstand:        Klar")) << r.out;
}

TEST(IdentifyTest, LanguageFollowsTheLocaleWithoutLang) {
    CliRun run;
    run.args = {"--simulate", "identify"};
    run.env = {"LC_ALL=da_DK.UTF-8", "LANG=da_DK.UTF-8"};
    const CliResult danish = RunCli(run);
    EXPECT_EQ(0, danish.status) << danish.err;
    EXPECT_TRUE(Contains(danish.out, "Tilstand:        Klar")) << danish.out;
    run.env = {"LC_ALL=C", "LANG=C"};
    const CliResult english = RunCli(run);
    EXPECT_TRUE(Contains(english.out, "State:           Ready")) << english.out;
}

TEST(IdentifyTest, FailuresHaveTheirOwnStatusAndOneLine) {
    // No such device: the system's reason is named.
    const CliResult missing = RunCli({"--lang", "en", "--device", "/dev/brelko-missing", "identify"});
    EXPECT_EQ(3, missing.status);
    EXPECT_TRUE(Contains(missing.err, "Unable to Open COM Port!")) << missing.err;
    EXPECT_TRUE(Contains(missing.out, "State:           Unable to Open COM Port!")) << missing.out;

    // The echo comes back wrong: the status of the wrong port, and what happened.
    const CliResult echo = RunCli(Sim("tz410-3.2.E", {"--sim-fault", "wrong-echo", "identify"}));
    EXPECT_EQ(5, echo.status) << echo.err;
    EXPECT_TRUE(Contains(echo.err, "the system echoed something else")) << echo.err;
    EXPECT_EQ(1, std::count(echo.err.begin(), echo.err.end(), '\n')) << echo.err;

    const CliResult danish = RunCli({"--lang", "da", "--device", "/dev/brelko-missing", "identify"});
    EXPECT_EQ(3, danish.status);
    EXPECT_TRUE(Contains(danish.err, "Ikke istand til at åbne COM Porten!")) << danish.err;
}

TEST(IdentifyTest, BusyAndForeignDevicesSayWhy) {
    // A terminal that another program holds.
    brelko::test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const std::string slave = pty.SlavePath();
    const int held = open(slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(0, flock(held, LOCK_EX | LOCK_NB));
    const CliResult busy = RunCli({"--lang", "en", "--device", slave, "identify"});
    EXPECT_EQ(3, busy.status);
    EXPECT_TRUE(Contains(busy.err, "is busy")) << busy.err;
    close(held);
    pty.CloseMaster();

    // A program that holds the terminal without any lock is named all the same.
    {
        brelko::test::PtyPair pty2;
        ASSERT_TRUE(pty2.Ok());
        const std::string other = pty2.SlavePath();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, other.c_str(), O_RDWR | O_NOCTTY, 0);
        char sleepName[] = "sleep";
        char seconds[] = "60";
        char* argv[] = {sleepName, seconds, nullptr};
        pid_t holder = -1;
        ASSERT_EQ(0, posix_spawnp(&holder, "sleep", &actions, nullptr, argv, environ));
        posix_spawn_file_actions_destroy(&actions);
        // Until the holder has the terminal open as its standard input.
        const std::string fd0 = "/proc/" + std::to_string(holder) + "/fd/0";
        char target[64] = {};
        for (int i = 0; i < 500 && std::string(target) != other; ++i) {
            const ssize_t n = readlink(fd0.c_str(), target, sizeof target - 1);
            target[n > 0 ? n : 0] = '\0';
            if (std::string(target) != other) usleep(10000);
        }
        const CliResult held = RunCli({"--lang", "en", "--device", other, "identify"});
        EXPECT_EQ(3, held.status) << held.err;
        EXPECT_TRUE(Contains(held.err, "is busy: another program holds it (sleep (pid " + std::to_string(holder) + ")"))
            << held.err;
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
        pty2.CloseMaster();
    }

    const CliResult notSerial = RunCli({"--lang", "en", "--device", "/dev/null", "port-status"});
    EXPECT_EQ(3, notSerial.status);
    EXPECT_TRUE(Contains(notSerial.err, "not a serial device")) << notSerial.err;
}

TEST(IdentifyTest, TheSettingsFileChoosesThePort) {
    // COM3 leads to a terminal where nobody answers.
    brelko::test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const std::string slave = pty.SlavePath();
    TempDir dir;
    Put(dir.File("brelko.ini"), "[Custom]\nComport=3\n[Ports]\nCOM3=" + slave + "\n");
    const std::vector<std::string> base = {"--lang", "en", "--ini", dir.File("brelko.ini")};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> args = base;
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };

    const CliResult ports = RunCli(with({"ports"}));
    EXPECT_EQ(0, ports.status);
    EXPECT_TRUE(Contains(ports.out, slave + "\n    device:     " + slave + "\n    COM:        COM3*\n")) << ports.out;

    const CliResult silent = RunCli(with({"identify"}));
    EXPECT_EQ(5, silent.status) << silent.err;
    EXPECT_TRUE(Contains(silent.out, "COM3 (" + slave + ")")) << silent.out;

    // --port takes the place of Custom/Comport; an unmapped COM4 is /dev/ttyS3.
    const CliResult other = RunCli(with({"--port", "4", "identify"}));
    EXPECT_TRUE(Contains(other.out, "COM4 (/dev/ttyS3)")) << other.out;
    pty.CloseMaster();
}

TEST(BackupTest, BackupThenRestoreIt) {
    TempDir dir;
    const CliResult first = RunCli(Sim("tz410-3.2.E", {"backup", dir.File("a.asc")}));
    ASSERT_EQ(0, first.status) << first.err;
    const std::string saved = Slurp(dir.File("a.asc"));
    EXPECT_TRUE(Contains(saved, "[END]")) << saved.substr(0, 200);
    EXPECT_TRUE(Contains(first.out, "Saved " + dir.File("a.asc"))) << first.out;
    // Progress went to standard error as plain lines (not a terminal).
    EXPECT_TRUE(Contains(first.err, "Recieving data")) << first.err;
    EXPECT_TRUE(Contains(first.err, "Bytes received: ")) << first.err;
    EXPECT_FALSE(Contains(first.err, "\r")) << first.err;

    const CliResult restore = RunCli(Sim("tz410-3.2.E", {"restore", "--no-safety-copy", dir.File("a.asc")}));
    EXPECT_EQ(0, restore.status) << restore.err;
    EXPECT_TRUE(Contains(restore.err, "Sending Data")) << restore.err;
    EXPECT_TRUE(Contains(restore.err, "Bytes sent: ")) << restore.err;
    // What the system can have received: the backup up to its "[END]", and
    // the line feed after it, as the count before the sending said.
    const std::string sent = std::to_string(saved.rfind("[END]") + 6);
    EXPECT_TRUE(Contains(restore.out, "Sent " + sent + " bytes")) << restore.out;
    EXPECT_TRUE(Contains(restore.out, sent + " bytes to send")) << restore.out;
    EXPECT_EQ(1u, dir.Entries().size()) << "no safety copy was asked for";
}

TEST(RestoreTest, ASafetyCopyComesFirstBesideTheFileOrWhereAsked) {
    TempDir dir;
    Put(dir.File("new.asc"), "\r\n[SYSTEM]\r\nGAIN=9\r\n[END]\r\n");
    const CliResult r = RunCli(Sim("tz410-3.2.E", {"restore", dir.File("new.asc")}));
    EXPECT_EQ(0, r.status) << r.err;
    const auto safety = std::filesystem::path(dir.File("safety"));
    ASSERT_TRUE(std::filesystem::is_directory(safety)) << r.out;
    const auto copy = std::filesystem::directory_iterator(safety)->path().string();
    EXPECT_EQ(0u, copy.find(dir.File("safety/TZ410-3.2.E-"))) << copy;
    EXPECT_TRUE(Contains(Slurp(copy), "GAIN=4")) << "the settings from before";
    EXPECT_TRUE(Contains(r.out, "Safety copy of the current settings: " + copy)) << r.out;
    EXPECT_TRUE(Contains(r.out, "The settings from before are in " + copy)) << r.out;
    // The copy came before the sending.
    EXPECT_LT(r.out.find("Safety copy"), r.out.find("Sent ")) << r.out;

    const CliResult chosen =
        RunCli(Sim("tz410-3.2.E", {"restore", "--safety-dir", dir.File("copies"), dir.File("new.asc")}));
    EXPECT_EQ(0, chosen.status) << chosen.err;
    EXPECT_TRUE(Contains(Slurp(std::filesystem::directory_iterator(dir.File("copies"))->path().string()), "GAIN=4"));

    // No copy, no sending: a safety folder that cannot be made.
    Put(dir.File("plain"), "x");
    const CliResult unsaved =
        RunCli(Sim("tz410-3.2.E", {"restore", "--safety-dir", dir.File("plain"), dir.File("new.asc")}));
    EXPECT_EQ(11, unsaved.status) << unsaved.err;
    EXPECT_TRUE(Contains(unsaved.err, "No safety copy could be made")) << unsaved.err;
    EXPECT_FALSE(Contains(unsaved.err, "Sending Data")) << unsaved.err;
}

TEST(RestoreTest, CtrlCDuringARestoreLetsItFinish) {
    TempDir dir;
    std::string settings;
    for (int i = 0; settings.size() < 20000; ++i) settings += "\r\nSETTING" + std::to_string(i) + "=NEW";
    settings += "\r\n[END]\r\n";
    Put(dir.File("new.asc"), settings);
    CliRun run;
    run.args = Sim("tz410-3.2.E", {"--sim-baud", "19200", "restore", "--no-safety-copy", dir.File("new.asc")});
    run.signalWhen = "Bytes sent: 000000";  // posted once the first byte is out
    const CliResult r = RunCli(run);
    ASSERT_TRUE(r.signalSent) << r.err;
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "A restore cannot be stopped halfway: it still runs for about ")) << r.err;
    EXPECT_TRUE(Contains(r.err, "Ctrl+C again within 3 seconds")) << r.err;
    EXPECT_TRUE(Contains(r.out, "Sent " + std::to_string(settings.size() - 1) + " bytes")) << r.out;
}

TEST(RestoreTest, ASecondCtrlCStopsItAndSaysHowToGetTheOldSettingsBack) {
    TempDir dir;
    std::string settings;
    for (int i = 0; settings.size() < 20000; ++i) settings += "\r\nSETTING" + std::to_string(i) + "=NEW";
    settings += "\r\n[END]\r\n";
    Put(dir.File("new.asc"), settings);
    CliRun run;
    run.args = Sim("tz410-3.2.E", {"--sim-baud", "38400", "restore", dir.File("new.asc")});
    run.signalWhen = "Bytes sent: 000000";  // posted once the first byte is out
    run.signalAgainWhen = "cannot be stopped halfway";
    const CliResult r = RunCli(run);
    ASSERT_TRUE(r.signalSent) << r.err;
    EXPECT_EQ(130, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "The restore was stopped halfway.")) << r.err;
    EXPECT_TRUE(Contains(r.err, "The system can have received ")) << r.err;
    EXPECT_TRUE(Contains(r.err, "may now hold part of the new settings. Restore " + dir.File("safety/TZ410-3.2.E-")))
        << r.err;
}


TEST(BackupTest, QuietBackupPrintsNothing) {
    TempDir dir;
    const CliResult r = RunCli(Sim("tz220-4.1.A", {"-q", "backup", dir.File("q.asc")}));
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_FALSE(Slurp(dir.File("q.asc")).empty());
}

TEST(BackupTest, ServiceDataAddsTheLearnedPart) {
    TempDir dir;
    ASSERT_EQ(0, RunCli(Sim("kaldspot-1.7.A", {"backup", dir.File("plain.asc")})).status);
    const CliResult learn = RunCli(Sim("kaldspot-1.7.A", {"backup", "--service-data", dir.File("learn.asc")}));
    ASSERT_EQ(0, learn.status) << learn.err;
    EXPECT_GT(Slurp(dir.File("learn.asc")).size(), Slurp(dir.File("plain.asc")).size());
}

TEST(BackupTest, ASilentSystemKeepsTheBackupWithAWarning) {
    // Line errors cannot be made on a pseudo-terminal; a system that falls
    // silent but still answers afterwards ends its reception the same way.
    TempDir dir;
    // tz410-3.2.E asks for its backup with "UPLOAD".
    const CliResult r = RunCli(Sim("tz410-3.2.E", {"--timeout", "1", "--sim-fault", "request=UPLOAD",
                                                   "--sim-fault", "silent-after=200", "backup", dir.File("s.asc")}));
    EXPECT_EQ(7, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "Error recieving data!")) << r.err;
    EXPECT_TRUE(Contains(r.err, "saved as " + dir.File("s.asc"))) << r.err;
    // The bytes that came are kept (the reply's first 200, and the echo's line end).
    const std::size_t kept = Slurp(dir.File("s.asc")).size();
    EXPECT_GE(kept, 200u);
    EXPECT_LE(kept, 202u);
}

TEST(BackupTest, ASystemThatFallsSilentForGoodStillLeavesItsBackup) {
    // The system sends part of its backup, then answers nothing at all, not
    // even an echo: it is not ready afterwards, but the line never went dead,
    // so what came is kept with the warning.
    brelko::test::PtyPeer* self = nullptr;
    brelko::test::PtyPeer peer([&self](const std::string& line) -> std::string {
        if (line == "GET VERSION") return "\r\nTZ410 Vision 3.2.E\r\n>";
        if (line == "UPLOAD") {
            self->Mute();
            return "\r\n[SYSTEM]\r\nGAIN=4\r\n";
        }
        return "\r\n>";
    });
    self = &peer;
    ASSERT_FALSE(peer.DevicePath().empty());
    TempDir dir;
    const CliResult r = RunCli({"--lang", "en", "--device", peer.DevicePath(), "--timeout", "1", "backup",
                                dir.File("s.asc")});
    EXPECT_EQ(7, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "Error recieving data!")) << r.err;
    EXPECT_TRUE(Contains(r.err, "fell silent")) << r.err;
    EXPECT_EQ("\r\n[SYSTEM]\r\nGAIN=4\r\n", Slurp(dir.File("s.asc")));
}

TEST(BackupTest, ALineThatDiesLeavesNoBackup) {
    TempDir dir;
    const CliResult r = RunCli(Sim("tz410-3.2.E", {"--timeout", "1", "--sim-fault", "request=UPLOAD",
                                                   "--sim-fault", "hang-up-after=300", "backup", dir.File("h.asc")}));
    EXPECT_EQ(7, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "Error recieving data!")) << r.err;
    EXPECT_EQ(0u, dir.Entries().size());
}

TEST(BackupTest, AFailedBackupNeverReplacesAGoodOne) {
    // Yesterday's good backup under the nightly name.
    TempDir dir;
    const std::string nightly = dir.File("nightly.asc");
    ASSERT_EQ(0, RunCli(Sim("tz410-3.2.E", {"-q", "backup", nightly})).status);
    const std::string good = Slurp(nightly);
    ASSERT_GT(good.size(), 10000u);

    // Tonight the system falls silent after 3000 bytes: kept beside it.
    const CliResult silent = RunCli(Sim("tz410-3.2.E", {"--timeout", "1", "--sim-fault", "request=UPLOAD",
                                                        "--sim-fault", "silent-after=3000", "backup", nightly}));
    EXPECT_EQ(7, silent.status) << silent.err;
    EXPECT_EQ(good, Slurp(nightly)) << "byte for byte";
    const std::string partial = dir.File("nightly.partial.asc");
    EXPECT_TRUE(Contains(silent.err, "saved as " + partial)) << silent.err;
    EXPECT_TRUE(Contains(silent.err, nightly + " was left as it was")) << silent.err;
    EXPECT_NEAR(3000.0, static_cast<double>(Slurp(partial).size()), 2.0);

    // The line dies halfway: nothing is kept, and the good file still stands.
    const CliResult cut = RunCli(Sim("tz410-3.2.E", {"--timeout", "1", "--sim-fault", "request=UPLOAD",
                                                     "--sim-fault", "hang-up-after=3000", "backup", nightly}));
    EXPECT_EQ(7, cut.status) << cut.err;
    EXPECT_TRUE(Contains(cut.err, "was not saved")) << cut.err;
    EXPECT_EQ(good, Slurp(nightly));
    EXPECT_EQ(2u, dir.Entries().size()) << "the nightly file and the earlier partial one, nothing else";
}

TEST(BackupTest, TargetsThatAreNoFilesAreRefusedAndLinksWrittenThrough) {
    TempDir dir;
    const std::string fifo = dir.File("pipe.asc");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0644));
    const std::vector<std::vector<std::string>> commands = {
        {"backup", fifo}, {"backup", "/dev/full"}, {"backup", dir.Path()},
        {"get-menu", fifo}, {"get-language", "/dev/null"}, {"get-picture", "/dev/full.mtx"},
    };
    ASSERT_EQ(0, symlink("/dev/full", dir.File("full.mtx").c_str()));
    for (std::vector<std::string> command : commands) {
        if (command[1] == "/dev/full.mtx") command[1] = dir.File("full.mtx");
        const std::string target = command[1];
        const CliResult r = RunCli(Sim("tz410-3.2.E", command));
        EXPECT_EQ(11, r.status) << target << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, "Cannot write " + target)) << r.err;
        EXPECT_FALSE(Contains(r.err, "Recieving data")) << "refused before the transfer: " << r.err;
    }
    struct stat st {};
    ASSERT_EQ(0, lstat(fifo.c_str(), &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "still a FIFO";

    ASSERT_EQ(0, unlink(dir.File("full.mtx").c_str()));
    mkdir(dir.File("store").c_str(), 0755);
    symlink("store/real.asc", dir.File("link.asc").c_str());
    const CliResult r = RunCli(Sim("tz410-3.2.E", {"backup", dir.File("link.asc")}));
    EXPECT_EQ(0, r.status) << r.err;
    ASSERT_EQ(0, lstat(dir.File("link.asc").c_str(), &st));
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays";
    EXPECT_TRUE(Contains(Slurp(dir.File("store/real.asc")), "[END]"));
}

TEST(BackupTest, ASilentSystemLeavesNoMenuFile) {
    TempDir dir;
    const CliResult r = RunCli(Sim("tz410-3.2.E", {"--timeout", "1", "--sim-fault", "request=GET MENUS",
                                                   "--sim-fault", "silent-after=50", "get-menu", dir.File("m.txt")}));
    EXPECT_EQ(7, r.status) << r.err;
    EXPECT_EQ(0u, dir.Entries().size());
}

TEST(BackupTest, CtrlCCancelsCleanlyAndLeavesNoFile) {
    TempDir dir;
    CliRun run;
    // At 9600 baud the backup takes seconds: time enough to interrupt it.
    run.args = Sim("tz410-3.2.E", {"--sim-baud", "9600", "backup", dir.File("c.asc")});
    run.signalWhen = "Bytes received: ";
    const CliResult r = RunCli(run);
    ASSERT_TRUE(r.signalSent) << r.err;
    EXPECT_EQ(130, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "Cancelled")) << r.err;
    EXPECT_EQ(0u, dir.Entries().size()) << "neither the target nor a temporary file";
}

TEST(BackupTest, ASecondCtrlCQuitsAtOnceAndLeavesNoTemporaryFile) {
    TempDir dir;
    CliRun run;
    run.args = Sim("tz410-3.2.E", {"--sim-baud", "9600", "backup", dir.File("c.asc")});
    run.signalWhen = "Bytes received: ";
    run.signalAgainWhen = "Stopping...";
    const CliResult r = RunCli(run);
    ASSERT_TRUE(r.signalSentAgain) << r.err;
    EXPECT_EQ(128 + SIGINT, r.status) << r.err;
    EXPECT_EQ(0u, dir.Entries().size()) << "neither the target nor a temporary file";
}

TEST(BackupTest, UnwritableTargetFailsBeforeTheTransfer) {
    TempDir dir;
    const CliResult r = RunCli(Sim("tz410-3.2.E", {"backup", dir.File("no/folder/x.asc")}));
    EXPECT_EQ(11, r.status);
    EXPECT_TRUE(Contains(r.err, "Cannot write")) << r.err;
    EXPECT_FALSE(Contains(r.err, "Recieving data")) << r.err;
}

TEST(TextTest, MenusAndLanguagesOfEachProduct) {
    TempDir dir;
    for (const char* preset : {"tz410-3.2.E", "tz220-2.11.A", "kaldspot-1.7.A", "tz410-old"}) {
        const std::string menu = dir.File(std::string(preset) + "-menu.txt");
        const std::string language = dir.File(std::string(preset) + "-language.txt");
        const CliResult m = RunCli(Sim(preset, {"get-menu", menu}));
        EXPECT_EQ(0, m.status) << preset << ": " << m.err;
        const CliResult l = RunCli(Sim(preset, {"get-language", language}));
        EXPECT_EQ(0, l.status) << preset << ": " << l.err;
        // A refused request would have brought back only "?".
        EXPECT_GT(Slurp(menu).size(), 20u) << preset;
        EXPECT_GT(Slurp(language).size(), 20u) << preset;
        EXPECT_FALSE(Contains(Slurp(menu), "??")) << preset;
    }
}

TEST(TextTest, SendLanguageSendsEveryLine) {
    TempDir dir;
    ASSERT_EQ(0, RunCli(Sim("tz410-3.2.E", {"get-language", dir.File("lang.txt")})).status);
    const CliResult r = RunCli(Sim("tz410-3.2.E", {"send-language", dir.File("lang.txt")}));
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Contains(r.out, "Language file sent")) << r.out;
    EXPECT_TRUE(Contains(r.err, "Bytes sent: ")) << r.err;
}

TEST(TextTest, SendLanguageTellsWhichLinesWereRefused) {
    TempDir dir;
    // The system knows texts 001 and 002; 999 and the stray word it refuses.
    Put(dir.File("some.txt"), "LANGUAGE DANSK\r\nTEXT 001 HOVEDMENU\r\nTEXT 999 INGEN\r\nTEXT 002 OPS\r\nHELLO\r\n");
    const CliResult some = RunCli(Sim("tz410-3.2.E", {"send-language", dir.File("some.txt")}));
    EXPECT_EQ(0, some.status) << some.err;
    EXPECT_TRUE(Contains(some.err, "Warning: 2 of 5 lines refused (lines 3, 5)")) << some.err;
    EXPECT_TRUE(Contains(some.out, "Language file sent")) << some.out;

    Put(dir.File("none.txt"), "TEXT 999 INGEN\nHELLO\n");
    const CliResult none = RunCli(Sim("tz410-3.2.E", {"send-language", dir.File("none.txt")}));
    EXPECT_EQ(8, none.status) << none.err;
    EXPECT_TRUE(Contains(none.err, "Error sending data! 2 of 2 lines refused (lines 1, 2)")) << none.err;
    EXPECT_FALSE(Contains(none.out, "Language file sent")) << none.out;
}

TEST(TextTest, ALineThatDiesWhileSendingIsASendingError) {
    TempDir dir;
    Put(dir.File("lang.txt"), "LANGUAGE ENGLISH\r\nTEXT 001 MAIN MENU\r\nTEXT 002 SETUP\r\n");
    Put(dir.File("b.asc"), std::string(3000, 'x') + "\n[END]\n");
    const CliResult language = RunCli(Sim("tz410-3.2.E", {"--sim-fault", "request=TEXT 001", "--sim-fault",
                                                          "hang-up-after=0", "send-language", dir.File("lang.txt")}));
    EXPECT_EQ(8, language.status) << language.err;
    EXPECT_TRUE(Contains(language.err, "Error sending data!")) << language.err;
    EXPECT_FALSE(Contains(language.out, "Language file sent")) << language.out;

    const CliResult restore = RunCli(Sim("tz410-3.2.E", {"--sim-fault", "request=DOWNLOAD", "--sim-fault",
                                                         "hang-up-after=0", "restore", dir.File("b.asc")}));
    EXPECT_EQ(8, restore.status) << restore.err;
    EXPECT_TRUE(Contains(restore.err, "Error sending data!")) << restore.err;
}

TEST(TextTest, BadInputFilesAreRefusedBeforeConnecting) {
    TempDir dir;
    Put(dir.File("empty.asc"), "");
    Put(dir.File("backup.txt"), "SETTING 1\n[END]\n");
    std::filesystem::create_directory(dir.File("folder.txt"));
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"restore", dir.File("missing.asc")}, "No such file"},
        {{"restore", dir.File("empty.asc")}, "empty"},
        {{"restore", dir.File("backup.txt")}, ".asc"},
        {{"send-language", dir.File("missing.txt")}, "No such file"},
        {{"send-language", dir.File("folder.txt")}, "Cannot read"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCli(Sim("tz410-3.2.E", c.args));
        EXPECT_EQ(10, r.status) << c.args[1] << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, c.says)) << r.err;
        EXPECT_FALSE(Contains(r.err, "Sending Data")) << r.err;
    }
}

TEST(TextTest, FilesUnfitToSendAreRefusedUnlessForced) {
    TempDir dir;
    std::string random(200 * 1024, '\0');
    unsigned v = 12345;
    for (char& c : random) c = static_cast<char>((v = v * 1103515245u + 12345u) >> 16);
    Put(dir.File("random.asc"), random);
    Put(dir.File("huge.asc"), std::string((1u << 20) + 1, 'x'));
    Put(dir.File("huge.txt"), std::string(65537, 'x'));
    Put(dir.File("nul.txt"), std::string("TEXT 001 A\0B\n", 14));
    struct Case {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"restore", dir.File("random.asc")}, "is not a text file"},
        {{"restore", dir.File("huge.asc")}, "1048577 bytes, more than the 1048576"},
        {{"send-language", dir.File("huge.txt")}, "65537 bytes, more than the 65536"},
        {{"send-language", dir.File("nul.txt")}, "byte 10 is 0x00"},
    };
    for (const Case& c : cases) {
        const CliResult r = RunCli(Sim("tz410-3.2.E", c.args));
        EXPECT_EQ(10, r.status) << c.args[1] << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, c.says)) << r.err;
        EXPECT_TRUE(Contains(r.err, "--force")) << r.err;
        EXPECT_FALSE(Contains(r.err, "Sending Data")) << "nothing was sent: " << r.err;
    }
    // Forced, a small odd file goes out, with a warning and its size and time first.
    Put(dir.File("odd.asc"), std::string("GAIN=\x01\r\n[END]\r\n"));
    const CliResult forced = RunCli(Sim("tz410-3.2.E", {"restore", "--force", dir.File("odd.asc")}));
    EXPECT_EQ(0, forced.status) << forced.err;
    EXPECT_TRUE(Contains(forced.err, "Warning: " + dir.File("odd.asc"))) << forced.err;
    EXPECT_TRUE(Contains(forced.out, "14 bytes to send, about 1 seconds at 9600 baud")) << forced.out;
}

TEST(PictureTest, EveryFormAndFileKind) {
    if (!PngSupported()) GTEST_SKIP() << "built without PNG support";
    TempDir dir;
    struct Case {
        std::vector<std::string> sim;
        const char* file;
    };
    const Case cases[] = {
        {{"--simulate=tz410-3.2.E", "--sim-form", "raw", "--sim-bits", "8"}, "raw8.mtx"},
        {{"--simulate=tz410-3.2.D", "--sim-form", "raw", "--sim-bits", "16"}, "raw16.tga"},
        {{"--simulate=tz220-2.11.A", "--sim-form", "archive"}, "archived-extra-byte.png"},
        {{"--simulate=kaldspot-1.7.A"}, "hex.mtx"},
        {{"--simulate=tz220-4.1.A", "--sim-form", "archive", "--sim-bits", "16"}, "archived16.mtx"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--lang", "en", "--sim-restart", "0"};
        args.insert(args.end(), c.sim.begin(), c.sim.end());
        args.push_back("get-picture");
        args.push_back(dir.File(c.file));
        const CliResult r = RunCli(args);
        ASSERT_EQ(0, r.status) << c.file << ": " << r.err;
        EXPECT_TRUE(Contains(r.out, "Saved")) << r.out;
        const RgbImage image = LoadRendered(dir.File(c.file));
        EXPECT_GT(image.width, 0) << c.file;
        EXPECT_GT(image.height, 0) << c.file;
    }
}

TEST(PictureTest, ChecksumErrorSavesThePictureAndSaysSo) {
    TempDir dir;
    const CliResult r = RunCli(Sim("tz410-3.2.E", {"--sim-fault", "wrong-checksum", "get-picture", dir.File("c.mtx")}));
    EXPECT_EQ(9, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "Checksum error!")) << r.err;
    EXPECT_GT(LoadRendered(dir.File("c.mtx")).width, 0);
}

TEST(PictureTest, BrokenReceptionsLeaveNoFile) {
    if (!PngSupported()) GTEST_SKIP() << "built without PNG support";
    TempDir dir;
    const std::vector<std::vector<std::string>> faults = {
        {"--sim-fault", "request=GET PICTURE", "--sim-fault", "silent-after=300"},
        {"--sim-fault", "request=GET PICTURE", "--sim-fault", "hang-up-after=300"},
    };
    for (const auto& fault : faults) {
        std::vector<std::string> more = fault;
        more.push_back("get-picture");
        more.push_back(dir.File("broken.png"));
        const CliResult r = RunCli(Sim("tz410-3.2.E", more));
        EXPECT_EQ(7, r.status) << fault[3] << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, "Error receiving picture")) << r.err;
        EXPECT_EQ(0u, dir.Entries().size()) << fault[3];
    }
}

TEST(PictureTest, TimeoutBoundsTheWaitForThePicture) {
    TempDir dir;
    CliRun run;
    // The system takes the request and sends nothing: without --timeout the
    // header line would be awaited for a minute, past the run's limit.
    run.args = Sim("tz410-3.2.E", {"--timeout", "1", "--sim-fault", "request=GET PICTURE", "--sim-fault",
                                   "silent-after=0", "get-picture", dir.File("late.mtx")});
    run.limitSeconds = 40;
    const CliResult r = RunCli(run);
    EXPECT_EQ(7, r.status) << r.err;
    EXPECT_TRUE(Contains(r.err, "Error receiving picture")) << r.err;
    EXPECT_EQ(0u, dir.Entries().size());
}

TEST(PictureTest, UnknownTargetKindIsAUsageError) {
    TempDir dir;
    const CliResult r = RunCli(Sim("tz410-3.2.E", {"get-picture", dir.File("shot.bmp")}));
    EXPECT_EQ(2, r.status);
    EXPECT_EQ(0u, dir.Entries().size());
}
