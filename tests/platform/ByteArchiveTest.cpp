#include <gtest/gtest.h>

#include <random>

#include "platform/ByteArchive.h"
#include "tests/support/Sandbox.h"

namespace brelko {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

class ByteArchiveTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("picture.mtx");
};

TEST_F(ByteArchiveTest, ValuesAreStoredLittleEndianAndLoadBack) {
    std::string error;
    auto out = ByteArchive::OpenFile(path, ByteArchive::Mode::Store, &error);
    ASSERT_TRUE(out) << error;
    EXPECT_TRUE(out->IsStoring());
    EXPECT_EQ(out->FileName(), path);
    out->WriteU8(0xAB);
    out->WriteU16(0x1234);
    out->WriteU32(0xDEADBEEF);
    out->Write("xyz", 3);
    ASSERT_TRUE(out->Commit());
    out.reset();
    EXPECT_EQ(ReadFile(path), std::string("\xAB\x34\x12\xEF\xBE\xAD\xDE" "xyz"));

    auto in = ByteArchive::OpenFile(path, ByteArchive::Mode::Load, &error);
    ASSERT_TRUE(in) << error;
    EXPECT_TRUE(in->IsLoading());
    EXPECT_EQ(in->Length(), 10u);
    EXPECT_EQ(in->ReadU8(), 0xAB);
    EXPECT_EQ(in->ReadU16(), 0x1234);
    EXPECT_EQ(in->Remaining(), 7u);
    EXPECT_EQ(in->ReadU32(), 0xDEADBEEFu);
    char text[3];
    EXPECT_TRUE(in->ReadExact(text, 3));
    EXPECT_EQ(std::string(text, 3), "xyz");
    EXPECT_EQ(in->Remaining(), 0u);
    EXPECT_TRUE(in->Ok());
    EXPECT_EQ(in->ErrorText(), "");
}

TEST_F(ByteArchiveTest, LargeContentCrossesTheBufferInOddPieces) {
    std::vector<std::uint8_t> data(300000);
    std::mt19937 random(7);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    {
        auto out = ByteArchive::OpenFile(path, ByteArchive::Mode::Store);
        ASSERT_TRUE(out);
        std::size_t pos = 0;
        for (std::size_t piece = 1; pos < data.size(); piece = piece * 3 % 70001 + 1) {
            std::size_t n = std::min(piece, data.size() - pos);
            out->Write(data.data() + pos, n);
            pos += n;
        }
        ASSERT_TRUE(out->Commit());
    }
    auto in = ByteArchive::OpenFile(path, ByteArchive::Mode::Load);
    ASSERT_TRUE(in);
    std::vector<std::uint8_t> back(data.size());
    std::size_t pos = 0;
    for (std::size_t piece = 5; pos < back.size(); piece = piece * 7 % 65599 + 1) {
        std::size_t n = std::min(piece, back.size() - pos);
        ASSERT_EQ(in->Read(back.data() + pos, n), n);
        pos += n;
    }
    EXPECT_EQ(back, data);
    EXPECT_EQ(in->Read(back.data(), 1), 0u);  // a short read at the end is no error
    EXPECT_TRUE(in->Ok());
}

TEST_F(ByteArchiveTest, ATruncatedFileGivesEndOfFile) {
    WriteFile(path, std::string("\x01\x02\x03", 3));
    auto in = ByteArchive::OpenFile(path, ByteArchive::Mode::Load);
    ASSERT_TRUE(in);
    EXPECT_EQ(in->ReadU16(), 0x0201);
    EXPECT_EQ(in->ReadU32(), 0u);  // only one byte left
    EXPECT_EQ(in->GetStatus(), ByteArchive::Status::EndOfFile);
    EXPECT_FALSE(in->Ok());
    EXPECT_NE(in->ErrorText().find("truncated or damaged"), std::string::npos) << in->ErrorText();
    // Sticky: nothing more is read, every value is 0, the first reason stays.
    EXPECT_EQ(in->ReadU8(), 0u);
    in->SetInvalid("bad header");
    EXPECT_EQ(in->GetStatus(), ByteArchive::Status::EndOfFile);
}

TEST_F(ByteArchiveTest, EndOfFileAtEachWidth) {
    struct Case {
        std::string content;
        int width;
    } cases[] = {{"", 8}, {"\x01", 16}, {"\x01\x02\x03", 32}, {"", 32}};
    for (const auto& c : cases) {
        auto in = ByteArchive::FromBytes(Bytes(c.content));
        std::uint32_t v = c.width == 8 ? in->ReadU8() : c.width == 16 ? in->ReadU16() : in->ReadU32();
        EXPECT_EQ(v, 0u);
        EXPECT_EQ(in->GetStatus(), ByteArchive::Status::EndOfFile) << c.width << " bits from " << c.content.size();
    }
    auto in = ByteArchive::FromBytes(Bytes("abcd"));
    char buffer[8];
    EXPECT_EQ(in->Read(buffer, 8), 4u);
    EXPECT_TRUE(in->Ok());
    EXPECT_FALSE(in->ReadExact(buffer, 1));
    EXPECT_EQ(in->GetStatus(), ByteArchive::Status::EndOfFile);
}

TEST_F(ByteArchiveTest, MemoryArchives) {
    auto out = ByteArchive::ToMemory("name.tga");
    EXPECT_EQ(out->FileName(), "name.tga");
    out->WriteU16(0xBEEF);
    out->WriteU32(1);
    EXPECT_TRUE(out->Commit());
    EXPECT_EQ(out->Bytes(), (std::vector<std::uint8_t>{0xEF, 0xBE, 1, 0, 0, 0}));
    auto in = ByteArchive::FromBytes(out->Bytes());
    EXPECT_EQ(in->Length(), 6u);
    EXPECT_EQ(in->ReadU16(), 0xBEEF);
    EXPECT_EQ(in->ReadU32(), 1u);
    EXPECT_EQ(in->Remaining(), 0u);
}

TEST_F(ByteArchiveTest, WrongDirectionFails) {
    auto in = ByteArchive::FromBytes(Bytes("ab"));
    in->WriteU8(1);
    EXPECT_EQ(in->GetStatus(), ByteArchive::Status::IoError);
    auto out = ByteArchive::ToMemory();
    EXPECT_EQ(out->ReadU8(), 0u);
    EXPECT_FALSE(out->Ok());
}

TEST_F(ByteArchiveTest, AStoreWithoutCommitLeavesTheTargetAlone) {
    WriteFile(path, "old content");
    {
        auto out = ByteArchive::OpenFile(path, ByteArchive::Mode::Store);
        ASSERT_TRUE(out);
        out->Write("new", 3);
        EXPECT_EQ(dir.Entries().size(), 2u);  // the target and the temporary file
    }
    EXPECT_EQ(ReadFile(path), "old content");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.mtx"});
}

TEST_F(ByteArchiveTest, ARefusedStoreLeavesTheTargetAlone) {
    WriteFile(path, "old content");
    auto out = ByteArchive::OpenFile(path, ByteArchive::Mode::Store);
    ASSERT_TRUE(out);
    out->Write("new", 3);
    out->SetInvalid("nothing to save");
    EXPECT_FALSE(out->Commit());
    EXPECT_EQ(out->ErrorText(), "nothing to save");
    EXPECT_EQ(ReadFile(path), "old content");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.mtx"});
}

TEST_F(ByteArchiveTest, CommitReplacesTheTargetWholeAndLeavesNoTemporaryFile) {
    WriteFile(path, "a much longer old content than the new one");
    auto out = ByteArchive::OpenFile(path, ByteArchive::Mode::Store);
    ASSERT_TRUE(out);
    out->Write("new", 3);
    ASSERT_TRUE(out->Commit());
    EXPECT_TRUE(out->Commit());  // a second commit changes nothing
    out.reset();
    EXPECT_EQ(ReadFile(path), "new");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.mtx"});
}

TEST_F(ByteArchiveTest, AFailedWriteIsReportedAndTheTargetKept) {
    WriteFile(path, "old content");
    auto out = ByteArchive::OpenFile(path, ByteArchive::Mode::Store);
    ASSERT_TRUE(out);
    {
        test::FileSizeLimit limit(1000);
        std::vector<std::uint8_t> big(200000, 0x55);
        out->Write(big.data(), big.size());
        EXPECT_FALSE(out->Commit());
    }
    EXPECT_EQ(out->GetStatus(), ByteArchive::Status::IoError);
    EXPECT_FALSE(out->ErrorText().empty());
    EXPECT_EQ(ReadFile(path), "old content");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.mtx"});
}

TEST_F(ByteArchiveTest, FilesThatCannotBeOpenedGiveAReason) {
    std::string error;
    EXPECT_FALSE(ByteArchive::OpenFile(dir.File("missing.mtx"), ByteArchive::Mode::Load, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(ByteArchive::OpenFile(dir.File("no/such/folder.mtx"), ByteArchive::Mode::Store, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(ByteArchive::OpenFile(dir.Path(), ByteArchive::Mode::Load, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ByteArchive::OpenFile(dir.Path(), ByteArchive::Mode::Store, &error));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{});
}

}  // namespace
}  // namespace brelko
