// Where a finished backup reception goes, against real files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "exchange/BackupTarget.h"
#include "exchange/CStatusView.h"
#include "platform/Strings.h"
#include "tests/support/Sandbox.h"

namespace brelko {
namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

CourseOutcome Outcome(bool failed, TransferFailure failure) {
    CourseOutcome outcome;
    outcome.receiveFailed = failed;
    outcome.failure = failure;
    return outcome;
}

class BackupTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetBuiltinLanguage(Language::English);
        ASSERT_FALSE(dir.empty());
    }
    std::string File(const std::string& name) const { return dir + "/" + name; }
    const test::TempDir m_dir;
    const std::string dir = m_dir.Path();
};

TEST(PartialBackupName, BesideTheTargetWithItsBase) {
    EXPECT_EQ(PartialBackupName("night.asc"), "night.partial.asc");
    EXPECT_EQ(PartialBackupName("/a/b/Night.ASC"), "/a/b/Night.partial.asc");
    EXPECT_EQ(PartialBackupName("night"), "night.partial.asc");
    EXPECT_EQ(PartialBackupName("dir.asc/night.txt"), "dir.asc/night.txt.partial.asc");
}

TEST_F(BackupTargetTest, EachOutcomeByWhetherAFileHasTheName) {
    struct Case {
        bool failed;
        TransferFailure failure;
        bool targetExists;
        BackupPlacement placement;
        const char* written;  // name written, "" for none
        const char* says;
    } cases[] = {
        {false, TransferFailure::None, true, BackupPlacement::Replaced, "t.asc", "Backup saved as"},
        {false, TransferFailure::None, false, BackupPlacement::Replaced, "t.asc", "Backup saved as"},
        {true, TransferFailure::LineErrors, false, BackupPlacement::KeptUnderTarget, "t.asc", "line errors"},
        {true, TransferFailure::Silence, false, BackupPlacement::KeptUnderTarget, "t.asc", "fell silent"},
        {true, TransferFailure::LineErrors, true, BackupPlacement::KeptBeside, "t.partial.asc", "was left as it was"},
        {true, TransferFailure::Silence, true, BackupPlacement::KeptBeside, "t.partial.asc", "was left as it was"},
        {true, TransferFailure::DeviceGone, true, BackupPlacement::NotKept, "", "was left as it was"},
        {true, TransferFailure::DeviceGone, false, BackupPlacement::NotKept, "", "not saved"},
        {true, TransferFailure::Cancelled, true, BackupPlacement::NotKept, "", "not saved"},
        {true, TransferFailure::None, true, BackupPlacement::NotKept, "", "not saved"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.says) + " / " + std::to_string(static_cast<int>(c.failure)));
        fs::remove_all(dir);
        fs::create_directory(dir);
        if (c.targetExists) std::ofstream(File("t.asc")) << "GOOD";
        const BackupSave save = SaveBackup(File("t.asc"), Outcome(c.failed, c.failure), "NEW");
        EXPECT_EQ(save.placement, c.placement);
        EXPECT_NE(save.message.find(c.says), std::string::npos) << save.message;
        if (*c.written) {
            EXPECT_TRUE(save.written);
            EXPECT_EQ(save.path, File(c.written));
            EXPECT_EQ(Read(File(c.written)), "NEW");
        } else {
            EXPECT_FALSE(save.written);
            EXPECT_TRUE(save.path.empty());
        }
        if (c.targetExists && c.placement != BackupPlacement::Replaced) {
            EXPECT_EQ(Read(File("t.asc")), "GOOD");
        }
        if (!c.targetExists && !*c.written) {
            EXPECT_FALSE(fs::exists(File("t.asc")));
        }
    }
}

TEST_F(BackupTargetTest, ADanglingLinkIsNoFileAndIsWrittenThrough) {
    fs::create_symlink("real.asc", File("t.asc"));
    const BackupSave save = SaveBackup(File("t.asc"), Outcome(true, TransferFailure::Silence), "PART");
    EXPECT_EQ(save.placement, BackupPlacement::KeptUnderTarget);
    EXPECT_TRUE(fs::is_symlink(File("t.asc")));
    EXPECT_EQ(Read(File("real.asc")), "PART");
}

TEST_F(BackupTargetTest, AFifoIsNeverWrittenAndSaysWhy) {
    ASSERT_EQ(0, ::mkfifo(File("t.asc").c_str(), 0644));
    const BackupSave save = SaveBackup(File("t.asc"), Outcome(false, TransferFailure::None), "NEW");
    EXPECT_FALSE(save.written);
    EXPECT_EQ(save.writeError, FileWriteError::NotARegularFile);
    EXPECT_NE(save.message.find("named pipe"), std::string::npos) << save.message;
    EXPECT_TRUE(fs::is_fifo(File("t.asc")));
}

}  // namespace
}  // namespace brelko
