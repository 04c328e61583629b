// The atomic file writer: the target name holds its old content or the whole
// new content; links are written through; special files are never replaced.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/ByteArchive.h"
#include "platform/FileUtil.h"
#include "tests/support/Sandbox.h"

using namespace brelko;
using brelko::test::ReadFile;
using brelko::test::TempDir;
using brelko::test::WriteFile;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// A listening socket bound in the folder; closed (and the name left) at the end.
class BoundSocket {
public:
    explicit BoundSocket(const std::string& path) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        m_bound = ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~BoundSocket() { ::close(m_fd); }
    bool Bound() const { return m_bound; }

private:
    int m_fd = -1;
    bool m_bound = false;
};

}  // namespace

TEST(AtomicFileTest, CommitReplacesTheTargetAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string target = dir.File("backup.asc");
    WriteFile(target, "old content that is longer");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(target, Bytes("new"), &error)) << error;
    EXPECT_EQ("new", ReadFile(target));
    EXPECT_EQ(std::vector<std::string>{"backup.asc"}, dir.Entries());
}

TEST(AtomicFileTest, UntilCommitTheTargetKeepsItsOldContent) {
    TempDir dir;
    const std::string target = dir.File("picture.mtx");
    WriteFile(target, "old");
    std::string error;
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open(target, &error)) << error;
        ASSERT_TRUE(file.Write("partial", 7, &error)) << error;
        EXPECT_EQ("old", ReadFile(target));
        EXPECT_EQ(2u, dir.Entries().size());
        EXPECT_EQ(dir.Path(), fs::path(file.TempPath()).parent_path().string());
    }  // abandoned: as after Ctrl+C or a failed transfer
    EXPECT_EQ("old", ReadFile(target));
    EXPECT_EQ(std::vector<std::string>{"picture.mtx"}, dir.Entries());
}

TEST(AtomicFileTest, NewFileGetsTheUsualModeAndAReplacedFileKeepsItsMode) {
    TempDir dir;
    const std::string fresh = dir.File("fresh.txt");
    const mode_t old = umask(022);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(fresh, Bytes("x"), &error)) << error;
    umask(old);
    EXPECT_EQ(0644u, ModeOf(fresh) & 0777);

    const std::string kept = dir.File("kept.txt");
    WriteFile(kept, "a");
    chmod(kept.c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomically(kept, Bytes("b"), &error)) << error;
    EXPECT_EQ(0600u, ModeOf(kept) & 0777);
}

TEST(AtomicFileTest, SymbolicLinksAreWrittenThroughAndStay) {
    TempDir dir;
    fs::create_directory(dir.File("real"));
    const std::string real = dir.File("real/settings.asc");
    WriteFile(real, "old");
    chmod(real.c_str(), 0640);
    // A relative link, a chain of two, and a link to a file not yet made.
    fs::create_symlink("real/settings.asc", dir.File("link.asc"));
    fs::create_symlink("link.asc", dir.File("chain.asc"));
    fs::create_symlink("real/new.asc", dir.File("dangling.asc"));

    std::string error;
    ASSERT_TRUE(WriteFileAtomically(dir.File("chain.asc"), Bytes("new"), &error)) << error;
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("chain.asc"))));
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("link.asc"))));
    EXPECT_EQ("new", ReadFile(real));
    EXPECT_EQ(0640u, ModeOf(real) & 0777);

    ASSERT_TRUE(WriteFileAtomically(dir.File("dangling.asc"), Bytes("made"), &error)) << error;
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("dangling.asc"))));
    EXPECT_EQ("made", ReadFile(dir.File("real/new.asc")));
    // No temporary file is left beside the link or beside the file.
    EXPECT_EQ(4u, dir.Entries().size());  // real/ and the three links
    EXPECT_EQ(2u, static_cast<std::size_t>(std::distance(fs::directory_iterator(dir.File("real")), {})));
}

TEST(AtomicFileTest, SpecialFilesAndFoldersAreRefusedAndLeftAsTheyWere) {
    TempDir dir;
    ASSERT_EQ(0, ::mkfifo(dir.File("fifo").c_str(), 0644));
    BoundSocket socket(dir.File("sock"));
    ASSERT_TRUE(socket.Bound());
    fs::create_directory(dir.File("folder"));
    fs::create_symlink("fifo", dir.File("link-to-fifo"));

    struct Case {
        std::string path;
        FileWriteError kind;
        bool (*stillThere)(mode_t);
    };
    const auto isFifo = [](mode_t m) { return S_ISFIFO(m); };
    const auto isChar = [](mode_t m) { return S_ISCHR(m); };
    const auto isSock = [](mode_t m) { return S_ISSOCK(m); };
    const auto isDir = [](mode_t m) { return S_ISDIR(m); };
    const Case cases[] = {
        {dir.File("fifo"), FileWriteError::NotARegularFile, isFifo},
        {dir.File("link-to-fifo"), FileWriteError::NotARegularFile, [](mode_t m) { return S_ISLNK(m); }},
        {dir.File("sock"), FileWriteError::NotARegularFile, isSock},
        {"/dev/full", FileWriteError::NotARegularFile, isChar},
        {"/dev/null", FileWriteError::NotARegularFile, isChar},
        {dir.File("folder"), FileWriteError::Folder, isDir},
        {dir.Path() + "/", FileWriteError::Folder, isDir},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string error;
        FileWriteError kind = FileWriteError::None;
        EXPECT_FALSE(WriteFileAtomically(c.path, Bytes("x"), &error, &kind));
        EXPECT_EQ(c.kind, kind);
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(c.stillThere(ModeOf(c.path)));
        EXPECT_EQ(c.kind, InspectWriteTarget(c.path).refusal);
        // The byte archive that documents are stored through says the same.
        FileWriteError archiveKind = FileWriteError::None;
        EXPECT_EQ(nullptr, ByteArchive::OpenFile(c.path, ByteArchive::Mode::Store, &error, &archiveKind));
        EXPECT_EQ(c.kind, archiveKind);
    }
    EXPECT_TRUE(S_ISFIFO(ModeOf(dir.File("fifo"))));
    // Nothing was made beside them.
    EXPECT_EQ((std::vector<std::string>{"fifo", "folder", "link-to-fifo", "sock"}), dir.Entries());
}

TEST(AtomicFileTest, UnwritableTargetsFailWithTheSystemsReason) {
    TempDir dir;
    std::string error;
    FileWriteError kind = FileWriteError::None;
    EXPECT_FALSE(WriteFileAtomically(dir.File("no/such/folder/x.asc"), Bytes("x"), &error, &kind));
    EXPECT_NE(std::string::npos, error.find("No such file")) << error;
    EXPECT_EQ(FileWriteError::System, kind);
    fs::create_symlink("loop", dir.File("loop"));
    EXPECT_FALSE(WriteFileAtomically(dir.File("loop"), Bytes("x"), &error, &kind));
    EXPECT_EQ(FileWriteError::System, kind);
    EXPECT_TRUE(S_ISLNK(ModeOf(dir.File("loop"))));
    if (geteuid() != 0) {
        fs::permissions(dir.Path(), fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(WriteFileAtomically(dir.File("x.asc"), Bytes("x"), &error));
        EXPECT_NE(std::string::npos, error.find("Permission denied")) << error;
        fs::permissions(dir.Path(), fs::perms::owner_write, fs::perm_options::add);
    }
}

TEST(AtomicFileTest, AFailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string target = dir.File("good.asc");
    WriteFile(target, "yesterday's good backup");
    std::string error;
    {
        brelko::test::FileSizeLimit limit(4);
        EXPECT_FALSE(WriteFileAtomically(target, Bytes("a backup that does not fit"), &error));
    }
    EXPECT_FALSE(error.empty());
    EXPECT_EQ("yesterday's good backup", ReadFile(target));
    EXPECT_EQ(std::vector<std::string>{"good.asc"}, dir.Entries());
}

TEST(AtomicFileTest, TheListOfTemporaryFilesIsWhatAnAbruptEndRemoves) {
    TempDir dir;
    AtomicFile file;
    std::string error;
    ASSERT_TRUE(file.Open(dir.File("backup.asc"), &error)) << error;
    ASSERT_TRUE(fs::exists(file.TempPath()));
    // What a second Ctrl+C runs before the process ends.
    RemoveTemporaryFiles();
    EXPECT_TRUE(dir.Entries().empty());
    file.Discard();

    // A committed file is off the list: removing again leaves it.
    ASSERT_TRUE(file.Open(dir.File("kept.asc"), &error)) << error;
    ASSERT_TRUE(file.Commit(&error)) << error;
    RemoveTemporaryFiles();
    EXPECT_EQ(std::vector<std::string>{"kept.asc"}, dir.Entries());
}

TEST(FileUtilTest, ReadWholeFileReadsBytesAndRefusesWhatIsNoFile) {
    TempDir dir;
    const std::string path = dir.File("data.bin");
    WriteFile(path, std::string("a\0b", 3));
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(fileutil::ReadWholeFile(path, &bytes, &error)) << error;
    EXPECT_EQ(3u, bytes.size());
    EXPECT_EQ(0, bytes[1]);
    EXPECT_FALSE(fileutil::ReadWholeFile(dir.Path(), &bytes, &error));
    EXPECT_FALSE(fileutil::ReadWholeFile(dir.File("missing"), &bytes, &error));
    EXPECT_NE(std::string::npos, error.find("No such file")) << error;
    // A FIFO without a writer would block a plain read for ever.
    ASSERT_EQ(0, ::mkfifo(dir.File("fifo").c_str(), 0644));
    EXPECT_FALSE(fileutil::ReadWholeFile(dir.File("fifo"), &bytes, &error));
    EXPECT_EQ(nullptr, ByteArchive::OpenFile(dir.File("fifo"), ByteArchive::Mode::Load, &error));
}
