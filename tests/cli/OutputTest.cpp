// Safe output: the target name holds either its old content or the complete
// new content, never a partial file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "TestFiles.h"

using namespace brelko::cli;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace

TEST(AtomicFileTest, CommitReplacesTheTargetAndLeavesNoTemporaryFile) {
    TestDir dir;
    const std::string target = dir.File("backup.asc");
    Put(target, "old content that is longer");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(target, Bytes("new"), &error)) << error;
    EXPECT_EQ("new", Slurp(target));
    EXPECT_EQ(1u, dir.Entries());
}

TEST(AtomicFileTest, UntilCommitTheTargetKeepsItsOldContent) {
    TestDir dir;
    const std::string target = dir.File("picture.mtx");
    Put(target, "old");
    std::string error;
    {
        AtomicFile file;
        ASSERT_TRUE(file.Open(target, &error)) << error;
        ASSERT_TRUE(file.Write("partial", 7, &error)) << error;
        EXPECT_EQ("old", Slurp(target));
        EXPECT_EQ(2u, dir.Entries());
        EXPECT_EQ(dir.path, fs::path(file.TempPath()).parent_path().string());
    }  // abandoned: as after Ctrl+C or a failed transfer
    EXPECT_EQ("old", Slurp(target));
    EXPECT_EQ(1u, dir.Entries());
}

TEST(AtomicFileTest, NewFileGetsTheUsualModeAndAReplacedFileKeepsItsMode) {
    TestDir dir;
    const std::string fresh = dir.File("fresh.txt");
    const mode_t old = umask(022);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(fresh, Bytes("x"), &error)) << error;
    umask(old);
    struct stat st {};
    ASSERT_EQ(0, stat(fresh.c_str(), &st));
    EXPECT_EQ(0644u, st.st_mode & 0777);

    const std::string kept = dir.File("kept.txt");
    Put(kept, "a");
    chmod(kept.c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomically(kept, Bytes("b"), &error)) << error;
    ASSERT_EQ(0, stat(kept.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777);
}

TEST(AtomicFileTest, UnwritableTargetsFailWithTheSystemsReason) {
    TestDir dir;
    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.File("no/such/folder/x.asc"), Bytes("x"), &error));
    EXPECT_NE(std::string::npos, error.find("No such file")) << error;
    EXPECT_FALSE(WriteFileAtomically(dir.path, Bytes("x"), &error));
    EXPECT_NE(std::string::npos, error.find("directory")) << error;
    EXPECT_FALSE(WriteFileAtomically(dir.path + "/", Bytes("x"), &error));
    if (geteuid() != 0) {
        fs::permissions(dir.path, fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(WriteFileAtomically(dir.File("x.asc"), Bytes("x"), &error));
        EXPECT_NE(std::string::npos, error.find("Permission denied")) << error;
    }
}

TEST(AtomicFileTest, ReadWholeFileReadsBytesAndRefusesFolders) {
    TestDir dir;
    const std::string path = dir.File("data.bin");
    Put(path, std::string("a\0b", 3));
    std::vector<std::uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(path, &bytes, &error)) << error;
    EXPECT_EQ(3u, bytes.size());
    EXPECT_EQ(0, bytes[1]);
    EXPECT_FALSE(ReadWholeFile(dir.path, &bytes, &error));
    EXPECT_FALSE(ReadWholeFile(dir.File("missing"), &bytes, &error));
    EXPECT_NE(std::string::npos, error.find("No such file")) << error;
}
