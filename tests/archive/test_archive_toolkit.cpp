// Opening archives, queueing requests, extracting and closing, with real files.
#include "archive/ArcCrc32.h"
#include "tests/archive/ArcTestData.h"
#include "tests/archive/ArcTestFiles.h"
#include "archive/ArcToolkit.h"
#include "archive/ArcWildcard.h"
#include "archive/ArcWriter.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <thread>
#include <unistd.h>

namespace brelko {
namespace {

using arctest::Bytes;
using arctest::Exists;
using arctest::ReadFile;
using arctest::TempDir;

ArcWriteEntry Entry(const std::string& name, Bytes data, int method = 2)
{
    ArcWriteEntry e;
    e.name = name;
    e.data = std::move(data);
    e.method = method;
    e.timeStamp = 1600000000;
    return e;
}

Bytes Runs()
{
    Bytes runs;
    for (int i = 0; i < 50; ++i)
        runs.insert(runs.end(), static_cast<std::size_t>(i * i * 3 + 1), static_cast<std::uint8_t>(i % 3));
    return runs;
}

// Open, one request, process, close; returns what was extracted.
std::vector<ArcExtraction> Extract(const std::string& archive, const char* pattern, const std::string& dest,
                                   int flags = 0)
{
    EXPECT_EQ(ArcOpen(archive.c_str(), flags), kArcOk);
    EXPECT_EQ(ArcAddRequest(pattern, dest.c_str()), kArcOk);
    EXPECT_EQ(ArcProcess(), kArcOk);
    auto results = ArcLastExtractions();
    EXPECT_EQ(ArcClose(), kArcOk);
    return results;
}

int CountFiles(const std::string& dir)
{
    int n = 0;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
            n += e->d_name[0] != '.';
        ::closedir(d);
    }
    return n;
}

TEST(ArcToolkit, RoundTripsThroughArchiveAndExtraction)
{
    TempDir dir;
    const std::vector<ArcWriteEntry> entries = {
        Entry("empty.bin", {}), Entry("one.bin", {0x42}), Entry("stored.bin", arctest::SettingsText(5000), 1),
        Entry("empty-stored.bin", {}, 1), Entry("4095.txt", arctest::SettingsText(4095)),
        Entry("4096.txt", arctest::SettingsText(4096)), Entry("4097.txt", arctest::SettingsText(4097)),
        Entry("prose.txt", arctest::ProseText()), Entry("random.bin", arctest::RandomBytes(100000)),
        Entry("runs.bin", Runs()), Entry("screen.mtx", arctest::PictureFile()),
        Entry("big.bin", arctest::SettingsText(1 << 21)),
    };
    arctest::WriteFile(dir / "all.arq", ArcBuildArchive(entries));
    const auto results = Extract(dir / "all.arq", "*.*", dir.Path() + "/out", kArcBuffered);
    ASSERT_EQ(results.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(results[i].status, kArcOk) << entries[i].name;
        EXPECT_TRUE(ReadFile(dir / ("out/" + entries[i].name)) == entries[i].data) << entries[i].name;
    }
}

TEST(ArcToolkit, ReceiverSequenceExtractsIntoTheCurrentFolder)
{
    TempDir dir;
    const Bytes picture = arctest::PictureFile();
    arctest::WriteFile(dir / "TEMP.MTX", ArcBuildArchive({Entry("SCREEN.MTX", picture)}));
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    EXPECT_EQ(ArcProbe("TEMP.MTX"), kArcOk);
    ArcEntry entry;
    entry.m_pInput = std::fopen("TEMP.MTX", "rb");
    EXPECT_EQ(ArcReadHeader(entry), kArcOk);
    std::fclose(entry.m_pInput);
    EXPECT_EQ(ArcOpen("TEMP.MTX", 0), kArcOk);
    EXPECT_EQ(ArcAddRequest(entry.m_szName, ""), kArcOk);
    EXPECT_EQ(ArcProcess(), kArcOk);
    EXPECT_EQ(ArcClose(), kArcOk);
    EXPECT_TRUE(ReadFile("SCREEN.MTX") == picture);
    EXPECT_EQ(CountFiles("."), 2);  // the archive and the picture: no work file left
    ASSERT_EQ(::chdir(old), 0);
}

TEST(ArcToolkit, EntryInAFolderIsExtractedUnderItsFileName)
{
    TempDir dir;
    arctest::WriteFile(dir / "a.arq", ArcBuildArchive({Entry("PICS/SCREEN.MTX", {1, 2, 3})}));
    auto results = Extract(dir / "a.arq", "SCREEN.MTX", dir.Path() + "/dest");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].name, "PICS\\SCREEN.MTX");
    EXPECT_TRUE(ReadFile(dir / "dest/SCREEN.MTX") == Bytes({1, 2, 3}));
    // With keep-paths the folder is made below the destination, with '/' between.
    results = Extract(dir / "a.arq", "PICS\\*", dir.Path() + "/kept", kArcKeepPaths);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(ReadFile(dir / "kept/PICS/SCREEN.MTX") == Bytes({1, 2, 3}));
}

TEST(ArcToolkit, KeepPathsRefusesNamesThatLeaveTheDestination)
{
    TempDir dir;
    ::mkdir((dir / "dest").c_str(), 0700);
    const char* names[] = {"../escape.txt", "a/../../escape2.txt", "/abs.txt", "C:/drive.txt", "a/..", "dir/"};
    std::vector<ArcWriteEntry> entries;
    for (const char* n : names)
        entries.push_back(Entry(n, {7}));
    entries.push_back(Entry("fine/ok.txt", {8}));
    arctest::WriteFile(dir / "evil.arq", ArcBuildArchive(entries));
    const auto results = Extract(dir / "evil.arq", "*", dir.Path() + "/dest", kArcKeepPaths);
    ASSERT_EQ(results.size(), entries.size());
    for (std::size_t i = 0; i + 1 < results.size(); ++i)
        EXPECT_EQ(results[i].status, kArcUnsafeName) << names[i];
    EXPECT_EQ(results.back().status, kArcOk);
    EXPECT_FALSE(Exists(dir / "escape.txt"));
    EXPECT_FALSE(Exists(dir / "escape2.txt"));
    EXPECT_FALSE(Exists("/abs.txt"));
    EXPECT_TRUE(ReadFile(dir / "dest/fine/ok.txt") == Bytes({8}));
    // Without keep-paths only the file name counts, which stays inside.
    const auto flat = Extract(dir / "evil.arq", "*", dir.Path() + "/flat");
    EXPECT_TRUE(ReadFile(dir / "flat/escape.txt") == Bytes({7}));
    EXPECT_EQ(flat[4].status, kArcUnsafeName);  // "a/.." names no file
}

TEST(ArcToolkit, SameFileNameTwiceTheSecondWins)
{
    TempDir dir;
    arctest::WriteFile(dir / "a.arq",
                       ArcBuildArchive({Entry("ONE/X.BIN", {1}), Entry("TWO/X.BIN", {2, 2}, 1)}));
    const auto results = Extract(dir / "a.arq", "X.BIN", dir.Path());
    EXPECT_EQ(results.size(), 2u);
    EXPECT_TRUE(ReadFile(dir / "X.BIN") == Bytes({2, 2}));
}

TEST(ArcToolkit, EndMarkerOnlyArchiveExtractsNothing)
{
    TempDir dir;
    arctest::WriteFile(dir / "e.arq", ArcBuildArchive({}));
    EXPECT_EQ(ArcProbe((dir / "e.arq").c_str()), kArcOk);
    EXPECT_TRUE(Extract(dir / "e.arq", "*", dir.Path() + "/out").empty());
    EXPECT_FALSE(Exists(dir / "out"));
}

TEST(ArcToolkit, NewerEntryStopsTheWalk)
{
    TempDir dir;
    Bytes file = ArcBuildArchive({Entry("A.BIN", {1}), Entry("B.BIN", {2}), Entry("C.BIN", {3})});
    // The second header's needed version: after the first entry's header and data.
    const std::size_t second = 8 + 5 + 33 + (file[8 + 5 + 10] | file[8 + 5 + 11] << 8);
    ASSERT_EQ(file[second], 0x67);
    file[second + 5] = 0x13;
    arctest::WriteFile(dir / "v.arq", file);
    const auto results = Extract(dir / "v.arq", "*", dir.Path());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(Exists(dir / "A.BIN"));
    EXPECT_FALSE(Exists(dir / "B.BIN"));
    EXPECT_FALSE(Exists(dir / "C.BIN"));
}

TEST(ArcToolkit, DamageIsReportedPerEntryAndTheWalkGoesOn)
{
    TempDir dir;
    const Bytes text = arctest::SettingsText(20000);
    ArcWriteEntry badCrc = Entry("CRC.BIN", text);
    Bytes file = ArcBuildArchive({badCrc, Entry("NEXT.BIN", {5, 6})});
    file[26 + 7] ^= 1;  // the CRC field of the first entry (26 + name length)
    arctest::WriteFile(dir / "crc.arq", file);
    auto results = Extract(dir / "crc.arq", "*", dir.Path());
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].status, kArcCrcError);
    EXPECT_TRUE(ReadFile(dir / "CRC.BIN") == text);  // kept all the same
    EXPECT_EQ(results[1].status, kArcOk);

    // Stored data whose first block header is nonsense: refused as corrupt.
    file = ArcBuildArchive({Entry("BAD.BIN", text), Entry("NEXT.BIN", {5, 6})});
    const std::size_t data = 8 + 7 + 33;
    file[data + 2] = 0xFF;  // code-length count 31: more than 19 symbols
    arctest::WriteFile(dir / "bad.arq", file);
    results = Extract(dir / "bad.arq", "*", dir.Path() + "/b");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].status, kArcCorruptData);
    EXPECT_EQ(results[1].status, kArcOk);

    // An unknown method skips the data; the next entry is still found.
    file = ArcBuildArchive({Entry("ODD.BIN", {1, 2, 3}, 1), Entry("NEXT.BIN", {5, 6})});
    file[30 + 7] = 9;  // the method byte
    arctest::WriteFile(dir / "odd.arq", file);
    results = Extract(dir / "odd.arq", "*", dir.Path() + "/c");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].status, kArcUnknownMethod);
    EXPECT_TRUE(ReadFile(dir / "c/NEXT.BIN") == Bytes({5, 6}));
}

TEST(ArcToolkit, MembersReplaceOnlyRegularFilesAndOnlyWhenWhole)
{
    TempDir dir;
    const Bytes text = arctest::SettingsText(20000);
    // A FIFO and a link under member names; an older good file under a third.
    ASSERT_EQ(::mkfifo((dir / "PIPE.BIN").c_str(), 0644), 0);
    ASSERT_EQ(::mkdir((dir / "real").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("real/LINKED.BIN", (dir / "LINK.BIN").c_str()), 0);
    arctest::WriteFile(dir / "OLD.BIN", {7, 7, 7});
    Bytes file = ArcBuildArchive({Entry("PIPE.BIN", {1}), Entry("LINK.BIN", {2, 3}), Entry("OLD.BIN", text)});
    // Spoil the third entry's compressed data: its extraction is corrupt.
    const std::size_t third =
        ArcBuildArchive({Entry("PIPE.BIN", {1}), Entry("LINK.BIN", {2, 3})}).size() - ArcBuildArchive({}).size();
    file[third + 41 + 7 + 2] = 0xFF;  // its first block header: more code lengths than there are
    arctest::WriteFile(dir / "x.arq", file);

    const auto results = Extract(dir / "x.arq", "*", dir.Path());
    ASSERT_EQ(results.size(), 3u);
    struct stat st;
    EXPECT_EQ(results[0].status, kArcNoStream);
    ASSERT_EQ(::lstat((dir / "PIPE.BIN").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(results[1].status, kArcOk);
    ASSERT_EQ(::lstat((dir / "LINK.BIN").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_TRUE(ReadFile(dir / "real/LINKED.BIN") == Bytes({2, 3}));
    EXPECT_EQ(results[2].status, kArcCorruptData);
    EXPECT_TRUE(results[2].path.empty());
    EXPECT_TRUE(ReadFile(dir / "OLD.BIN") == Bytes({7, 7, 7}));
}

TEST(ArcToolkit, DamagedMembersCanBeLeftOut)
{
    TempDir dir;
    Bytes file = ArcBuildArchive({Entry("CRC.BIN", {1, 2, 3})});
    file[26 + 7] ^= 1;  // the CRC field
    arctest::WriteFile(dir / "crc.arq", file);
    arctest::WriteFile(dir / "CRC.BIN", {9});
    ArcKeepDamagedMembers(false);
    const auto results = Extract(dir / "crc.arq", "*", dir.Path());
    ArcKeepDamagedMembers(true);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].status, kArcCrcError);
    EXPECT_TRUE(results[0].path.empty());
    EXPECT_TRUE(ReadFile(dir / "CRC.BIN") == Bytes({9}));
}

TEST(ArcToolkit, StoredEmptyEntryHasCrcZero)
{
    TempDir dir;
    Bytes file = ArcBuildArchive({Entry("E.BIN", {}, 1)});
    EXPECT_EQ(file[26 + 5] | file[27 + 5] | file[28 + 5] | file[29 + 5], 0);  // the CRC field
    arctest::WriteFile(dir / "e.arq", file);
    const auto results = Extract(dir / "e.arq", "E.BIN", dir.Path());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].status, kArcOk);
    EXPECT_TRUE(Exists(dir / "E.BIN"));
    EXPECT_TRUE(ReadFile(dir / "E.BIN").empty());
}

TEST(ArcToolkit, ModeAndTimeStampComeFromTheHeader)
{
    TempDir dir;
    ArcWriteEntry e = Entry("RO.BIN", {1, 2});
    e.mode = 0104444;  // read-only, with a set-user-id bit that must not survive
    e.timeStamp = 1234567890;
    arctest::WriteFile(dir / "m.arq", ArcBuildArchive({e}));
    Extract(dir / "m.arq", "*", dir.Path());
    struct stat st;
    ASSERT_EQ(::stat((dir / "RO.BIN").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_mtime, 1234567890);
    EXPECT_EQ(st.st_atime, 1234567890);
}

TEST(ArcToolkit, WorkFileLivesBesideTheArchiveAndEmptyArchiveIsDeleted)
{
    TempDir dir;
    const std::string name = dir / "new.arq";
    ASSERT_EQ(ArcOpen(name.c_str(), 0), kArcOk);
    const std::string work = ArcWorkFileName();
    EXPECT_EQ(work.rfind(dir.Path() + "/", 0), 0u);
    EXPECT_TRUE(Exists(work));
    EXPECT_TRUE(Exists(name));
    EXPECT_EQ(ArcOpen(name.c_str(), 0), kArcAlreadyOpen);
    EXPECT_EQ(ArcProcess(), kArcOk);
    EXPECT_EQ(ArcClose(), kArcOk);
    EXPECT_FALSE(Exists(work));
    EXPECT_FALSE(Exists(name));
    EXPECT_EQ(CountFiles(dir.Path()), 0);
    // A folder that cannot hold the archive.
    EXPECT_EQ(ArcOpen((dir / "no/such/folder/x.arq").c_str(), 0), kArcNoStream);
    EXPECT_EQ(ArcClose(), kArcOk);
}

TEST(ArcToolkit, ReadOnlyArchiveCanStillBeExtracted)
{
    TempDir dir;
    arctest::WriteFile(dir / "ro.arq", ArcBuildArchive({Entry("R.BIN", {4, 5})}));
    ASSERT_EQ(::chmod((dir / "ro.arq").c_str(), 0444), 0);
    if (::access((dir / "ro.arq").c_str(), W_OK) == 0)
        GTEST_SKIP() << "running with rights that ignore file modes";
    const auto results = Extract(dir / "ro.arq", "*", dir.Path());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(ReadFile(dir / "R.BIN") == Bytes({4, 5}));
}

TEST(ArcToolkit, RequestPatternsAndDestinations)
{
    TempDir dir;
    arctest::WriteFile(dir / "r.arq", ArcBuildArchive({Entry("A1.TXT", {1}), Entry("B2.TXT", {2}),
                                                       Entry("C3.BIN", {3})}));
    ASSERT_EQ(ArcOpen((dir / "r.arq").c_str(), 0), kArcOk);
    EXPECT_EQ(ArcAddRequest("[A-", ""), kArcBadSpec);
    EXPECT_EQ(ArcAddRequest("[AB", ""), kArcBadSpec);
    EXPECT_EQ(ArcAddRequest("[A-B]?.TXT", (dir / "ab").c_str()), kArcOk);  // '/' appended
    EXPECT_EQ(ArcAddRequest("*.TXT", (dir / "rest").c_str()), kArcOk);
    EXPECT_EQ(ArcAddRequest("./c3.bin", (dir / "c/").c_str()), kArcOk);
    EXPECT_EQ(ArcProcess(), kArcOk);
    EXPECT_EQ(ArcClose(), kArcOk);
    EXPECT_TRUE(Exists(dir / "ab/A1.TXT"));
    EXPECT_TRUE(Exists(dir / "ab/B2.TXT"));
    EXPECT_FALSE(Exists(dir / "rest"));  // the first matching request takes the entry
    EXPECT_TRUE(Exists(dir / "c/C3.BIN"));
}

TEST(ArcWildcard, OnePassWithoutBacktracking)
{
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.*", "ANYTHING", true},     {"*.*", "NODOT", true},      {"*", "", true},
        {"SCREEN.MTX", "screen.mtx", true}, {"SCREEN.MTX", "SCREEN.MT", false},
        {"*A", "BAA", false},          {"*A", "BA", true},          {"+", "", false},
        {"+", "AB", true},             {"A+", "A", false},          {"?", "A", true},
        {"??", "A", false},            {"*.TXT", "A.TXT", true},    {"*.TXT", "A.TXTX", false},
        {"[A-C]*", "B1", true},        {"[A-C]*", "D1", false},     {"[!A-C]*", "D1", true},
        {"[^A]", "A", false},          {"*[0-9]", "AB7", true},     {"*[0-9]", "AB", false},
        {"A*", "A", true},             {"A**", "AB", true},         {"[ab]x", "Bx", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ArcWildMatch(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
    EXPECT_FALSE(ArcSpecIsValid("[a-]"));
    EXPECT_FALSE(ArcSpecIsValid("x[a"));
    EXPECT_TRUE(ArcSpecIsValid("x[a-z]y"));
}

TEST(ArcToolkit, ThreadsTakeTurnsWithTheOneOpenArchive)
{
    TempDir dir;
    const Bytes a = arctest::SettingsText(30000), b = arctest::RandomBytes(30000);
    arctest::WriteFile(dir / "a.arq", ArcBuildArchive({Entry("A.BIN", a)}));
    arctest::WriteFile(dir / "b.arq", ArcBuildArchive({Entry("B.BIN", b)}));
    auto worker = [&](const std::string& archive, const std::string& out, const Bytes& expected, int* good) {
        for (int i = 0; i < 20; ++i) {
            if (ArcOpen(archive.c_str(), 0) != kArcOk)
                continue;
            ArcAddRequest("*", out.c_str());
            ArcProcess();
            const auto r = ArcLastExtractions();
            ArcClose();
            const Bytes got = ReadFile(out + "/" + (expected == a ? "A.BIN" : "B.BIN"));
            *good += r.size() == 1 && r[0].status == kArcOk && got == expected;
        }
    };
    int goodA = 0, goodB = 0;
    std::thread ta(worker, dir / "a.arq", dir / "oa", std::cref(a), &goodA);
    std::thread tb(worker, dir / "b.arq", dir / "ob", std::cref(b), &goodB);
    ta.join();
    tb.join();
    EXPECT_EQ(goodA, 20);
    EXPECT_EQ(goodB, 20);
}

}  // namespace
}  // namespace brelko
