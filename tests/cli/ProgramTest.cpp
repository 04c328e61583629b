// brelko-cli as a user runs it: options, usage errors, file commands.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "archive/ArcWriter.h"
#include "platform/AtomicFile.h"
#include "platform/FileUtil.h"
#include "tests/cli/CliRunner.h"
#include "data/PictureFiles.h"
#include "sim/SimPicture.h"
#include "tests/cli/TestFiles.h"

using namespace brelko;
using brelko::fileutil::ReadWholeFile;

TEST(ProgramTest, HelpShowsCommandsExitStatusesAndSimulatorChoices) {
    const CliResult r = RunCli({"--help", "--lang", "en"});
    EXPECT_EQ(0, r.status) << r.err;
    for (const char* part : {"identify", "backup", "get-picture", "port-status", "ports", "--simulate", "--timeout",
                             "Exit statuses:", "  130  cancelled", "    3  the port cannot be opened",
                             "tz410-3.2.E", "kaldspot-1.7.A", "mute", "wrong-checksum", "hang-up-after",
                             "picture's header line"})
        EXPECT_TRUE(Contains(r.out, part)) << part;
}

TEST(ProgramTest, HelpFollowsTheLanguage) {
    const CliResult r = RunCli({"--lang", "da", "--help"});
    EXPECT_EQ(0, r.status);
    EXPECT_TRUE(Contains(r.out, "afbrudt (Ctrl+C)"));
}

TEST(ProgramTest, VersionIsPrinted) {
    const CliResult r = RunCli({"--version"});
    EXPECT_EQ(0, r.status);
    EXPECT_TRUE(Contains(r.out, "brelko-cli "));
}

TEST(ProgramTest, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"no-such-command"},
        {"backup"},
        {"identify", "--port", "0"},
        {"identify", "--lang", "fr"},
        {"identify", "--port", "2", "--device", "/dev/null"},
        {"identify", "--timeout", "-1"},
        {"--simulate=no-such-preset", "identify"},
        {"--simulate", "--sim-fault", "no-such-fault", "identify"},
        {"arc", "list"},
        {"convert", "a.mtx"},
        {"--sim-fault", "wrong-echo", "identify"},  // a simulator switch without the simulator
    };
    for (const auto& args : cases) {
        const CliResult r = RunCli(args);
        EXPECT_EQ(2, r.status) << (args.empty() ? "" : args[0]) << ": " << r.err;
        EXPECT_FALSE(r.err.empty());
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

TEST(ProgramTest, ConvertBetweenAllThreeFormats) {
    if (!PngSupported()) GTEST_SKIP() << "built without PNG support";
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(dir.File("in.mtx"), MakeScreenPicture(8, 80, 60, "CONVERT"), &error));
    const CliResult toPng = RunCli({"--lang", "en", "convert", dir.File("in.mtx"), dir.File("out.png")});
    ASSERT_EQ(0, toPng.status) << toPng.err;
    EXPECT_TRUE(Contains(toPng.out, "Converted"));
    const CliResult toTga = RunCli({"-q", "convert", dir.File("out.png"), dir.File("out.tga")});
    ASSERT_EQ(0, toTga.status) << toTga.err;
    EXPECT_TRUE(toTga.out.empty());
    const CliResult toMtx = RunCli({"convert", dir.File("out.tga"), dir.File("back.mtx")});
    ASSERT_EQ(0, toMtx.status) << toMtx.err;

    Picture a, b;
    ASSERT_TRUE(LoadPicture(dir.File("in.mtx"), &a, &error)) << error;
    ASSERT_TRUE(LoadPicture(dir.File("back.mtx"), &b, &error)) << error;
    EXPECT_EQ(RenderPicture(a).pixels, RenderPicture(b).pixels);
}

TEST(ProgramTest, ConvertRefusesBadInputAndKeepsTheTarget) {
    TempDir dir;
    Put(dir.File("bad.mtx"), "not a picture at all");
    Put(dir.File("target.png"), "keep me");
    const CliResult bad = RunCli({"--lang", "en", "convert", dir.File("bad.mtx"), dir.File("target.png")});
    EXPECT_EQ(10, bad.status);
    EXPECT_TRUE(Contains(bad.err, "Cannot read")) << bad.err;
    EXPECT_EQ("keep me", Slurp(dir.File("target.png")));

    const CliResult missing = RunCli({"convert", dir.File("missing.tga"), dir.File("x.png")});
    EXPECT_EQ(10, missing.status);
    const CliResult kind = RunCli({"convert", dir.File("bad.mtx"), dir.File("x.bmp")});
    EXPECT_EQ(2, kind.status);
    EXPECT_EQ(2u, dir.Entries().size());

    std::string error;
    ASSERT_TRUE(WriteFileAtomically(dir.File("ok.mtx"), MakeScreenPicture(16, 32, 32, "X"), &error));
    const CliResult noFolder = RunCli({"convert", dir.File("ok.mtx"), dir.File("no/folder/x.png")});
    EXPECT_EQ(11, noFolder.status);
}

TEST(ProgramTest, PortsListsWithoutFailing) {
    const CliResult r = RunCli({"--lang", "en", "ports"});
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_FALSE(r.out.empty());
}

TEST(ProgramTest, PortStatusOfAMissingDeviceSaysWhy) {
    const CliResult r = RunCli({"--lang", "en", "--device", "/dev/brelko-no-such-tty", "port-status"});
    EXPECT_EQ(3, r.status);
    EXPECT_TRUE(Contains(r.err, "Unable to Open COM Port!")) << r.err;
    EXPECT_TRUE(Contains(r.err, "/dev/brelko-no-such-tty")) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
}

TEST(ProgramTest, PortStatusShowsTheDumpAndTheLines) {
    const CliResult r = RunCli({"--lang", "en", "--simulate", "port-status"});
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(Contains(r.out, "Port type: MS Win32  BaudRate: 9600    ByteSize: 8  Parity: 0")) << r.out;
    EXPECT_TRUE(Contains(r.out, "StopBits: 0  fBinary: 1  fRtsControl: 2")) << r.out;
    EXPECT_TRUE(Contains(r.out, "RX sz/ct:")) << r.out;
    EXPECT_TRUE(Contains(r.out, "CTS on  DSR on  CD on  DTR on  RTS on")) << r.out;
    // Nothing of the port's handshake diagnostic mixes into the results.
    EXPECT_FALSE(Contains(r.out, "handshaking")) << r.out;
}

TEST(ArchiveTest, ListAndExtractAnArchive) {
    TempDir dir;
    std::vector<ArcWriteEntry> entries(2);
    entries[0].name = "PICS/SCREEN.MTX";
    entries[0].data = MakeScreenPicture(8, 40, 30, "ARC");
    entries[1].name = "readme.txt";
    entries[1].data = {'h', 'e', 'l', 'l', 'o'};
    entries[1].method = 1;
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(dir.File("pack.arq"), ArcBuildArchive(entries), &error));

    const CliResult list = RunCli({"arc", "list", dir.File("pack.arq")});
    ASSERT_EQ(0, list.status) << list.err;
    EXPECT_TRUE(Contains(list.out, "compressed")) << list.out;
    EXPECT_TRUE(Contains(list.out, "         5          5  stored")) << list.out;
    EXPECT_TRUE(Contains(list.out, "readme.txt")) << list.out;

    const std::string out = dir.File("out");
    std::filesystem::create_directory(out);
    const CliResult extract = RunCli({"--lang", "en", "arc", "extract", dir.File("pack.arq"), out});
    ASSERT_EQ(0, extract.status) << extract.err;
    EXPECT_EQ("hello", Slurp(out + "/readme.txt"));
    std::vector<std::uint8_t> screen;
    ASSERT_TRUE(ReadWholeFile(out + "/SCREEN.MTX", &screen, &error)) << error;
    EXPECT_EQ(entries[0].data, screen);
    EXPECT_TRUE(std::filesystem::exists(dir.File("pack.arq")));

    // Without its extension, as the toolkit's own probe takes a name.
    const CliResult bare = RunCli({"--lang", "en", "arc", "list", dir.File("pack")});
    EXPECT_EQ(0, bare.status) << bare.err;
    EXPECT_TRUE(Contains(bare.out, "readme.txt")) << bare.out;
    std::filesystem::remove_all(out);
    std::filesystem::create_directory(out);
    const CliResult bareExtract = RunCli({"--lang", "en", "arc", "extract", dir.File("pack"), out});
    EXPECT_EQ(0, bareExtract.status) << bareExtract.err;
    EXPECT_EQ("hello", Slurp(out + "/readme.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("pack"))) << "no file made under the bare name";
}

TEST(ArchiveTest, OutputsThatAreNoFilesAreRefusedWithExitEleven) {
    TempDir dir;
    std::string error;
    std::vector<ArcWriteEntry> entries(2);
    entries[0].name = "readme.txt";
    entries[0].data = {'h', 'i'};
    entries[1].name = "other.txt";
    entries[1].data = {'o', 'k'};
    ASSERT_TRUE(WriteFileAtomically(dir.File("pack.arq"), ArcBuildArchive(entries), &error));
    ASSERT_TRUE(WriteFileAtomically(dir.File("in.mtx"), MakeScreenPicture(8, 16, 16, "X"), &error));
    ASSERT_EQ(0, mkfifo(dir.File("readme.txt").c_str(), 0644));
    ASSERT_EQ(0, mkfifo(dir.File("out.tga").c_str(), 0644));

    const CliResult extract = RunCli({"--lang", "en", "arc", "extract", dir.File("pack.arq"), dir.Path()});
    EXPECT_EQ(11, extract.status) << extract.err;
    EXPECT_TRUE(Contains(extract.err, "Cannot write readme.txt: it is a named pipe")) << extract.err;
    EXPECT_EQ("ok", Slurp(dir.File("other.txt"))) << "the other member is extracted all the same";

    const CliResult convert = RunCli({"--lang", "en", "convert", dir.File("in.mtx"), dir.File("out.tga")});
    EXPECT_EQ(11, convert.status) << convert.err;
    EXPECT_TRUE(Contains(convert.err, "named pipe")) << convert.err;
    for (const char* fifo : {"readme.txt", "out.tga"}) {
        struct stat st {};
        ASSERT_EQ(0, lstat(dir.File(fifo).c_str(), &st));
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << fifo;
    }
}

TEST(ArchiveTest, DamagedAndEmptyArchives) {
    TempDir dir;
    std::string error;
    std::vector<ArcWriteEntry> entries(1);
    entries[0].name = "A.MTX";
    entries[0].data = MakeScreenPicture(16, 40, 30, "ARC");
    std::vector<std::uint8_t> bytes = ArcBuildArchive(entries);
    bytes[bytes.size() / 2] ^= 0x55;  // inside the packed data
    ASSERT_TRUE(WriteFileAtomically(dir.File("bad.arq"), bytes, &error));
    ASSERT_TRUE(WriteFileAtomically(dir.File("empty.arq"), ArcBuildArchive({}), &error));
    Put(dir.File("text.arq"), "just text");

    const CliResult bad = RunCli({"arc", "extract", dir.File("bad.arq"), dir.Path()});
    EXPECT_EQ(10, bad.status) << bad.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("A.MTX"))) << "a member that failed its check is removed";

    // Extracting nothing must not delete the (empty) archive.
    const CliResult empty = RunCli({"arc", "extract", dir.File("empty.arq"), dir.Path()});
    EXPECT_EQ(0, empty.status) << empty.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("empty.arq")));

    EXPECT_EQ(10, RunCli({"arc", "list", dir.File("text.arq")}).status);
    EXPECT_EQ(10, RunCli({"arc", "list", dir.File("missing.arq")}).status);
    EXPECT_EQ(10, RunCli({"arc", "extract", dir.File("missing.arq")}).status);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing.arq"))) << "never created by looking";
}
