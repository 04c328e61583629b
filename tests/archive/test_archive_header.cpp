// Probing a file and reading entry headers.
#include "archive/ArcEntry.h"
#include "tests/archive/ArcTestFiles.h"
#include "archive/ArcWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace brelko {
namespace {

using arctest::TempDir;
using Bytes = std::vector<std::uint8_t>;

Bytes OneEntry(const std::string& name, std::uint8_t system = 3)
{
    ArcWriteEntry e;
    e.name = name;
    e.data = {1, 2, 3};
    e.systemByte = system;
    return ArcBuildArchive({e});
}

ArcStatus ReadFirst(const Bytes& file, ArcEntry& entry)
{
    std::FILE* f = ::fmemopen(const_cast<std::uint8_t*>(file.data()), file.size(), "rb");
    if (file.empty())
        f = std::tmpfile();
    entry.m_pInput = f;
    const ArcStatus status = ArcReadHeader(entry);
    std::fclose(f);
    return status;
}

TEST(ArcProbe, TellsArchivesFromOtherFiles)
{
    TempDir dir;
    const Bytes endOnly = ArcBuildArchive({});
    struct {
        const char* name;
        Bytes content;
        ArcStatus expected;
    } cases[] = {
        {"picture.mtx", {'M', 'T', 'X', 1, 0, 0, 0, 0}, kArcNotArchive},
        {"empty.arq", {}, kArcNotArchive},
        {"short.arq", {0x67, 0x57}, kArcNotArchive},
        {"end-only.arq", endOnly, kArcOk},
        {"one.arq", OneEntry("A.MTX"), kArcOk},
    };
    for (const auto& c : cases) {
        arctest::WriteFile(dir / c.name, c.content);
        EXPECT_EQ(ArcProbe((dir / c.name).c_str()), c.expected) << c.name;
    }
    EXPECT_EQ(ArcProbe((dir / "missing.arq").c_str()), kArcCannotOpen);
    // A name without '.' is looked for with ".arq"; trailing blanks are dropped.
    ASSERT_EQ(dir.Path().find('.'), std::string::npos);
    arctest::WriteFile(dir / "noext.arq", endOnly);
    EXPECT_EQ(ArcProbe((dir / "noext  ").c_str()), kArcOk);
    EXPECT_EQ(ArcProbe((dir / "noext.mtx").c_str()), kArcCannotOpen);
}

TEST(ArcReadHeader, NeededVersionAboveOnePointTwoIsRefused)
{
    const struct {
        std::uint8_t needed;
        ArcStatus expected;
    } cases[] = {{0x10, kArcOk}, {0x12, kArcOk}, {0x0F, kArcOk}, {0x13, kArcNewerVersion},
                 {0x20, kArcNewerVersion}, {0xF0, kArcNewerVersion}};
    for (const auto& c : cases) {
        Bytes file = OneEntry("A.MTX");
        file[5] = c.needed;
        ArcEntry entry;
        EXPECT_EQ(ReadFirst(file, entry), c.expected) << std::hex << int(c.needed);
    }
}

TEST(ArcReadHeader, NameLengthUpTo260)
{
    ArcEntry entry;
    EXPECT_EQ(ReadFirst(OneEntry(std::string(260, 'n')), entry), kArcOk);
    EXPECT_EQ(entry.m_nNameLength, 260);
    EXPECT_EQ(std::strlen(entry.m_szName), 260u);
    Bytes file = OneEntry(std::string(260, 'n'));
    file[6] = 5;  // 261
    file[7] = 1;
    EXPECT_EQ(ReadFirst(file, entry), kArcBadHeader);
    file[6] = 0xFF;  // negative as a signed 16-bit length
    file[7] = 0xFF;
    EXPECT_EQ(ReadFirst(file, entry), kArcBadHeader);
}

TEST(ArcReadHeader, EndMarkerEmptyFileAndDamage)
{
    ArcEntry entry;
    EXPECT_EQ(ReadFirst(ArcBuildArchive({}), entry), kArcEndMarker);
    EXPECT_EQ(ReadFirst({}, entry), kArcNotArchive);
    Bytes wrong = OneEntry("A.MTX");
    wrong[0] = 0x68;
    EXPECT_EQ(ReadFirst(wrong, entry), kArcBadHeader);  // not at offset 0 any more after the read
    Bytes cut = OneEntry("A.MTX");
    cut.resize(8 + 5 + 20);  // the header stops in its fixed fields
    EXPECT_EQ(ReadFirst(cut, entry), kArcBadHeader);
    ArcEntry none;
    EXPECT_EQ(ArcReadHeader(none), kArcNoStream);
}

TEST(ArcReadHeader, ReadsEveryFieldAndLeavesTheStreamAtTheData)
{
    ArcWriteEntry e;
    e.name = "pics/screen.mtx";
    e.data = {9, 8, 7, 6};
    e.method = 1;
    e.timeStamp = 1700000000;
    e.mode = 0100600;
    e.systemByte = 0;
    Bytes file = ArcBuildArchive({e});
    // Add two extra bytes, which the reader skips.
    const std::size_t extraAt = 8 + e.name.size() + 31;
    file[extraAt] = 2;
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(extraAt + 2), {0xEE, 0xEE});
    std::FILE* f = ::fmemopen(file.data(), file.size(), "rb");
    ArcEntry entry;
    entry.m_pInput = f;
    ASSERT_EQ(ArcReadHeader(entry), kArcOk);
    EXPECT_STREQ(entry.m_szName, "PICS\\SCREEN.MTX");  // '/' becomes '\', upper case unless system 3
    EXPECT_EQ(entry.m_nTime, 1700000000u);
    EXPECT_EQ(entry.m_nMode, 0100600);
    EXPECT_EQ(entry.m_nStoredSize, 4u);
    EXPECT_EQ(entry.m_nOriginalSize, 4u);
    EXPECT_EQ(entry.m_nMethod, 1);
    EXPECT_EQ(entry.m_nExtraLength, 2);
    EXPECT_EQ(std::fgetc(f), 9);
    std::fclose(f);
    EXPECT_STREQ(ArcFileNamePart("PICS\\SCREEN.MTX"), "SCREEN.MTX");
    EXPECT_STREQ(ArcFileNamePart("C:X.MTX"), "X.MTX");
}

TEST(ArcReadHeader, SystemByteThreeKeepsCase)
{
    ArcEntry entry;
    ASSERT_EQ(ReadFirst(OneEntry("pics/Screen.mtx", 3), entry), kArcOk);
    EXPECT_STREQ(entry.m_szName, "pics\\Screen.mtx");
    ASSERT_EQ(ReadFirst(OneEntry("pics/Screen.mtx", 2), entry), kArcOk);
    EXPECT_STREQ(entry.m_szName, "PICS\\SCREEN.MTX");
}

}  // namespace
}  // namespace brelko
