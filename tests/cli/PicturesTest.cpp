// Picture files by name: MTX, Targa and PNG, and conversions between them.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/AtomicFile.h"
#include "platform/FileUtil.h"
#include "tests/cli/TestFiles.h"
#include "data/CMTX.h"
#include "data/PictureFiles.h"
#include "sim/SimPicture.h"

using namespace brelko;
using brelko::fileutil::ReadWholeFile;
namespace fs = std::filesystem;

namespace {


std::string WriteScreen(const TempDir& dir, int bits) {
    const std::string path = dir.File("screen" + std::to_string(bits) + ".mtx");
    std::string error;
    EXPECT_TRUE(WriteFileAtomically(path, MakeScreenPicture(bits, 64, 48, "TEST"), &error)) << error;
    return path;
}

RgbImage Load(const std::string& path) {
    Picture picture;
    std::string error;
    EXPECT_TRUE(LoadPicture(path, &picture, &error)) << path << ": " << error;
    return RenderPicture(picture);
}

RgbImage Gradient(int width, int height) {
    RgbImage image{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.push_back(static_cast<std::uint32_t>(((x * 8) << 16) | ((y * 8) << 8) | ((x + y) * 4 & 0xF8)));
    return image;
}

}  // namespace

TEST(PictureKindTest, ByTheLastCharactersIgnoringCase) {
    EXPECT_EQ(PictureKind::Mtx, PictureKindOf("a/b.mtx"));
    EXPECT_EQ(PictureKind::Tga, PictureKindOf("B.TGA"));
    EXPECT_EQ(PictureKind::Png, PictureKindOf("shot.Png"));
    EXPECT_EQ(PictureKind::Unknown, PictureKindOf("shot.jpg"));
    EXPECT_EQ(PictureKind::Unknown, PictureKindOf("png"));
    EXPECT_EQ(PictureKind::Unknown, PictureKindOf("xmtx"));
}

TEST(MtxFromRgbTest, FewColoursGiveAPaletteManyGiveSixteenBits) {
    RgbImage few{3, 2, {0xFF0000, 0x00FF00, 0xFF0000, 0x0000FF, 0x0000FF, 0xFF0000}};
    const MtxContent eight = MtxFromRgb(few);
    EXPECT_EQ(8, eight.image.bitsPerPixel);
    EXPECT_EQ(3, eight.paletteHeader.entryCount);
    EXPECT_EQ((std::vector<std::uint8_t>{0, 1, 0, 2, 2, 0}), eight.pixels8);
    EXPECT_EQ((std::vector<std::uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255}), eight.paletteTriples);

    const RgbImage many = Gradient(32, 32);  // more than 256 colours
    const MtxContent sixteen = MtxFromRgb(many);
    EXPECT_EQ(16, sixteen.image.bitsPerPixel);
    ASSERT_EQ(32u * 32u, sixteen.pixels16.size());
    EXPECT_EQ(((31u * 8 >> 3) << 10) | ((0u) << 5) | ((31u * 4 & 0xF8) >> 3), sixteen.pixels16[31]);
}

TEST(PictureFilesTest, ExactlyTwoHundredFiftySixColoursStayEightBits) {
    RgbImage image{256, 1, {}};
    for (std::uint32_t i = 0; i < 256; ++i) image.pixels.push_back(i * 0x010101);
    EXPECT_EQ(8, MtxFromRgb(image).image.bitsPerPixel);
    image.pixels.push_back(0x123456);
    image.width = 257;
    EXPECT_EQ(16, MtxFromRgb(image).image.bitsPerPixel);
}

TEST(PictureFilesTest, ConversionsKeepEveryPixel) {
    if (!PngSupported()) GTEST_SKIP() << "built without PNG support";
    TempDir dir;
    for (int bits : {8, 16}) {
        const std::string mtx = WriteScreen(dir, bits);
        const RgbImage original = Load(mtx);
        ASSERT_EQ(64, original.width);
        ASSERT_EQ(48, original.height);
        std::string error;
        Picture picture;
        ASSERT_TRUE(LoadPicture(mtx, &picture, &error)) << error;
        for (const char* name : {"out.tga", "out.png", "out.mtx"}) {
            const std::string path = dir.File(std::to_string(bits) + name);
            ASSERT_TRUE(SavePicture(picture, path, &error)) << name << ": " << error;
            const RgbImage back = Load(path);
            EXPECT_EQ(original.pixels, back.pixels) << bits << " bits via " << name;
        }
        // And on from the converted files: Targa to PNG, PNG to MTX.
        Picture viaTga, viaPng;
        ASSERT_TRUE(LoadPicture(dir.File(std::to_string(bits) + "out.tga"), &viaTga, &error)) << error;
        ASSERT_TRUE(SavePicture(viaTga, dir.File("again.png"), &error)) << error;
        ASSERT_TRUE(LoadPicture(dir.File("again.png"), &viaPng, &error)) << error;
        ASSERT_TRUE(SavePicture(viaPng, dir.File("again.mtx"), &error)) << error;
        EXPECT_EQ(original.pixels, Load(dir.File("again.mtx")).pixels) << bits;
    }
}

TEST(PictureFilesTest, MtxSavedAsMtxKeepsItsBytes) {
    TempDir dir;
    const std::string mtx = WriteScreen(dir, 8);
    Picture picture;
    std::string error;
    ASSERT_TRUE(LoadPicture(mtx, &picture, &error)) << error;
    ASSERT_TRUE(SavePicture(picture, dir.File("copy.mtx"), &error)) << error;
    std::vector<std::uint8_t> a, b;
    ASSERT_TRUE(ReadWholeFile(mtx, &a, &error));
    ASSERT_TRUE(ReadWholeFile(dir.File("copy.mtx"), &b, &error));
    EXPECT_EQ(a, b);
}

TEST(PictureFilesTest, DamagedOrForeignFilesAreRefusedAndNothingIsWritten) {
    TempDir dir;
    std::string error;
    const std::string mtx = WriteScreen(dir, 8);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(mtx, &bytes, &error));
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(WriteFileAtomically(dir.File("half.mtx"), bytes, &error));
    ASSERT_TRUE(WriteFileAtomically(dir.File("text.png"), {'h', 'i'}, &error));
    ASSERT_TRUE(WriteFileAtomically(dir.File("empty.tga"), {}, &error));
    for (const char* name : {"half.mtx", "text.png", "empty.tga", "missing.mtx", "picture.gif"}) {
        Picture picture;
        error.clear();
        EXPECT_FALSE(LoadPicture(dir.File(name), &picture, &error)) << name;
        EXPECT_FALSE(error.empty()) << name;
    }
    Picture picture;
    ASSERT_TRUE(LoadPicture(mtx, &picture, &error));
    EXPECT_FALSE(SavePicture(picture, dir.File("out.bmp"), &error));
    EXPECT_FALSE(fs::exists(dir.File("out.bmp")));
}
