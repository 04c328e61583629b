// The data document: the data class by the file name, saving an MTX picture
// under a ".tga" name, and the picture size the view scrolls over.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/CDataDoc.h"
#include "data/CMTX.h"
#include "data/CTGA.h"
#include "data/CText.h"
#include "tests/data/PictureFiles.h"
#include "tests/support/Sandbox.h"
#include "data/SoftwareSurface.h"
#include "platform/Strings.h"

namespace brelko {
namespace {

using test::Bytes;

Bytes SmallMtx8() {
    test::Mtx8Spec layout;
    layout.width = 5;
    layout.height = 3;
    layout.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    layout.pixels = {0, 1, 2, 2, 1, 0, 0, 0, 1, 1, 2, 2, 0, 1, 2};
    return test::MakeMtx8(layout);
}

Bytes SmallTga() {
    test::TgaSpec layout;
    layout.width = 2;
    layout.height = 2;
    layout.depth = 16;
    layout.pixels16 = {1, 2, 3, 4};
    return test::MakeTga(layout);
}

TEST(DataDocument, TheClassFollowsTheLastThreeCharactersOfTheName) {
    const struct {
        const char* name;
        DataKind kind;
    } cases[] = {{"PICTURE.TGA", DataKind::Targa}, {"picture.tga", DataKind::Targa}, {"a.TgA", DataKind::Targa},
                 {"screen.mtx", DataKind::Mtx},    {"SCREEN.MTX", DataKind::Mtx},    {"notes.TXT", DataKind::Text},
                 {"backup.asc", DataKind::Text},   {"data.bin", DataKind::Text},     {"ga", DataKind::Text},
                 {"", DataKind::Text},             {"tga", DataKind::Targa},         {"picture.tga.bak", DataKind::Text}};
    for (const auto& c : cases) EXPECT_EQ(DataKindForName(c.name), c.kind) << c.name;
}

TEST(DataDocument, OpeningMakesTheObjectOfTheNamesClass) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("PICTURE.TGA"), SmallTga());
    test::WriteFileBytes(dir.File("picture.tga"), SmallTga());
    test::WriteFileBytes(dir.File("screen.Mtx"), SmallMtx8());
    for (const char* name : {"notes.TXT", "backup.asc", "data.bin"}) test::WriteFileBytes(dir.File(name), {'h', 'i'});

    for (const char* name : {"PICTURE.TGA", "picture.tga"}) {
        CDataDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(dir.File(name))) << name;
        EXPECT_TRUE(std::dynamic_pointer_cast<CTGA>(doc.m_pData)) << name;
    }
    CDataDoc mtx;
    ASSERT_TRUE(mtx.OnOpenDocument(dir.File("screen.Mtx")));
    EXPECT_TRUE(std::dynamic_pointer_cast<CMTX>(mtx.m_pData));
    for (const char* name : {"notes.TXT", "backup.asc", "data.bin"}) {
        CDataDoc doc;
        ASSERT_TRUE(doc.OnOpenDocument(dir.File(name))) << name;
        auto text = std::dynamic_pointer_cast<CText>(doc.m_pData);
        ASSERT_TRUE(text) << name;
        EXPECT_EQ(text->GetText(), "hi");
    }
}

TEST(DataDocument, AFileThatDoesNotLoadLeavesNoDataObject) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("wrong.tga"), SmallMtx8());  // MTX bytes under a Targa name
    CDataDoc doc;
    std::string error;
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("wrong.tga"), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(doc.m_pData);
    EXPECT_FALSE(doc.OnOpenDocument(dir.File("missing.mtx"), &error));
    EXPECT_FALSE(error.empty());
}

TEST(DataDocument, AnMtxSavedAsTgaThenAsMtxWritesTargaBothTimes) {
    SetBuiltinLanguage(Language::English);
    test::TempDir dir;
    test::WriteFileBytes(dir.File("in.mtx"), SmallMtx8());
    CDataDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("in.mtx")));
    auto expected = std::dynamic_pointer_cast<CMTX>(doc.m_pData)->ToTarga();
    auto memory = ByteArchive::ToMemory();
    expected->Serialize(*memory);

    ASSERT_TRUE(doc.OnSaveDocument(dir.File("x.TGA")));
    EXPECT_TRUE(std::dynamic_pointer_cast<CTGA>(doc.m_pData));
    EXPECT_EQ(doc.m_pData->m_strDescription, "8 bit TGA picture 5x3");
    EXPECT_EQ(test::ReadFileBytes(dir.File("x.TGA")), memory->Bytes());

    ASSERT_TRUE(doc.OnSaveDocument(dir.File("y.mtx")));
    EXPECT_EQ(test::ReadFileBytes(dir.File("y.mtx")), memory->Bytes());
    EXPECT_EQ(test::ReadFileBytes(dir.File("in.mtx")), SmallMtx8());
}

TEST(DataDocument, AnMtxSavedAsMtxStaysAnMtx) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("in.mtx"), SmallMtx8());
    CDataDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("in.mtx")));
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("out.mtx")));
    EXPECT_TRUE(std::dynamic_pointer_cast<CMTX>(doc.m_pData));
    EXPECT_EQ(test::ReadFileBytes(dir.File("out.mtx")), SmallMtx8());
}

TEST(DataDocument, NothingToSaveIsRefusedAndWritesNoFile) {
    test::TempDir dir;
    CDataDoc empty;
    std::string error;
    EXPECT_FALSE(empty.OnSaveDocument(dir.File("a.mtx"), &error));
    CDataDoc picture;
    picture.m_pData = std::make_shared<CMTX>();  // a picture whose reception failed
    EXPECT_FALSE(picture.OnSaveDocument(dir.File("b.tga"), &error));
    EXPECT_NE(error.find("no picture"), std::string::npos) << error;
    EXPECT_TRUE(std::dynamic_pointer_cast<CMTX>(picture.m_pData));
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.mtx")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("b.tga")));
}

TEST(DataDocument, PictureSizeIsTheDisplayedSize) {
    test::TempDir dir;
    test::WriteFileBytes(dir.File("in.mtx"), SmallMtx8());
    CDataDoc doc;
    EXPECT_EQ(doc.GetPictureSize(), (PictureSize{0, 0}));
    doc.m_pData = CText::Create();
    EXPECT_EQ(doc.GetPictureSize(), (PictureSize{0, 0}));
    doc.m_pData = std::make_shared<CMTX>();
    EXPECT_EQ(doc.GetPictureSize(), (PictureSize{200, 100}));
    ASSERT_TRUE(doc.OnOpenDocument(dir.File("in.mtx")));
    EXPECT_EQ(doc.GetPictureSize(), (PictureSize{5, 3}));
    doc.m_pData->m_nZoom = 1;
    SoftwareSurface surface(32, 100, 100);
    doc.m_pData->Draw(surface);
    EXPECT_EQ(doc.GetPictureSize(), (PictureSize{10, 6}));
    ASSERT_TRUE(doc.OnSaveDocument(dir.File("out.tga")));
    EXPECT_EQ(doc.GetPictureSize(), (PictureSize{5, 3}));
}

}  // namespace
}  // namespace brelko
