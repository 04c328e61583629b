// An independent reader and writer agrees with ours: Targa files that we
// write open in ImageMagick with the same pixels, and Targa files that
// ImageMagick writes, in both layouts and both row orders, load here with
// the right pixels the right way up. Pictures are compared through PPM.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/ByteArchive.h"
#include "data/CMTX.h"
#include "data/CTGA.h"
#include "tests/data/PictureFiles.h"
#include "tests/support/Sandbox.h"
#include "data/SoftwareSurface.h"

namespace brelko {
namespace {

using test::Bytes;
using test::Rgb;

struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // rows top to bottom
    Rgb At(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

bool HaveConvert() { return std::system("command -v convert >/dev/null 2>&1") == 0; }

bool Convert(const std::string& args) {
    return std::system(("convert " + args + " 2>/dev/null").c_str()) == 0;
}

Image ReadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Image image;
    in >> magic >> image.width >> image.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255) return {};
    image.pixels.resize(std::size_t(image.width) * image.height);
    in.read(reinterpret_cast<char*>(image.pixels.data()), std::streamsize(image.pixels.size() * 3));
    return image;
}

void WritePpm(const std::string& path, const Image& image) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << " " << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.pixels.data()), std::streamsize(image.pixels.size() * 3));
}

// What the picture shows at 1:1 on a true-colour screen.
Image Shown(CData& picture, int width, int height) {
    SoftwareSurface surface(32, width, height);
    picture.Draw(surface);
    Image image{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const RgbQuad c = surface.ColorAt(x, y);
            image.pixels.push_back({c.red, c.green, c.blue});
        }
    return image;
}

// ImageMagick widens 5-bit channels to 0..255; we shift them. Both agree on
// the five bits.
unsigned FiveBitsOfImageMagick(unsigned v) { return (v * 31 + 127) / 255; }

void ExpectSame(const Image& ours, const Image& theirs, bool fiveBits, const std::string& what) {
    ASSERT_EQ(ours.width, theirs.width) << what;
    ASSERT_EQ(ours.height, theirs.height) << what;
    int mismatches = 0;
    for (int y = 0; y < ours.height; ++y)
        for (int x = 0; x < ours.width; ++x) {
            const Rgb a = ours.At(x, y), b = theirs.At(x, y);
            const bool same = fiveBits ? (a.r >> 3) == FiveBitsOfImageMagick(b.r) &&
                                             (a.g >> 3) == FiveBitsOfImageMagick(b.g) &&
                                             (a.b >> 3) == FiveBitsOfImageMagick(b.b)
                                       : a.r == b.r && a.g == b.g && a.b == b.b;
            if (!same && ++mismatches <= 3)
                ADD_FAILURE() << what << " at " << x << "," << y << ": ours " << int(a.r) << "," << int(a.g) << ","
                              << int(a.b) << " theirs " << int(b.r) << "," << int(b.g) << "," << int(b.b);
        }
    EXPECT_EQ(mismatches, 0) << what;
}

// A picture whose rows all differ, so a flip shows; 5-bit colours in the
// values ImageMagick gives them, so that 16-bit files compare exactly.
Image TestImage(int width, int height) {
    Image image{width, height, {}};
    auto level = [](unsigned v5) { return std::uint8_t((v5 * 255 + 15) / 31); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.push_back({level((x * 5 + y) % 32), level((y * 7) % 32), level((x + 3 * y) % 4 * 9)});
    return image;
}

class ImageMagick : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    }
    test::TempDir dir;
};

TEST_F(ImageMagick, TargaFilesWeWriteShowTheSamePixels) {
    const int width = 13, height = 7;
    const Image source = TestImage(width, height);

    // An 8-bit MTX picture: palette of the distinct colours.
    test::Mtx8Spec spec8;
    spec8.width = width;
    spec8.height = height;
    for (const Rgb& c : source.pixels) {
        std::size_t i = 0;
        while (i < spec8.palette.size() &&
               !(spec8.palette[i].r == c.r && spec8.palette[i].g == c.g && spec8.palette[i].b == c.b))
            ++i;
        if (i == spec8.palette.size()) spec8.palette.push_back(c);
        spec8.pixels.push_back(std::uint8_t(i));
    }
    ASSERT_LE(spec8.palette.size(), 256u);
    // A 16-bit MTX picture of the same colours.
    test::Mtx16Spec spec16;
    spec16.width = width;
    spec16.height = height;
    for (const Rgb& c : source.pixels) spec16.pixels.push_back(test::Pack15(c.r >> 3, c.g >> 3, c.b >> 3));

    struct Case {
        const char* name;
        Bytes mtx;
        bool fiveBits;
    } cases[] = {{"8-bit", test::MakeMtx8(spec8), false}, {"16-bit", test::MakeMtx16(spec16), true}};
    for (const auto& c : cases) {
        auto mtx = std::make_shared<CMTX>();
        auto in = ByteArchive::FromBytes(c.mtx);
        mtx->Serialize(*in);
        ASSERT_TRUE(in->Ok()) << in->ErrorText();
        auto tga = mtx->ToTarga();
        ASSERT_TRUE(tga);
        const std::string path = dir.File(std::string(c.name) + ".tga");
        auto out = ByteArchive::OpenFile(path, ByteArchive::Mode::Store);
        ASSERT_TRUE(out);
        tga->Serialize(*out);
        ASSERT_TRUE(out->Commit()) << out->ErrorText();

        const std::string ppm = dir.File(std::string(c.name) + ".ppm");
        ASSERT_TRUE(Convert(path + " -auto-orient -depth 8 ppm:" + ppm)) << c.name;
        const Image theirs = ReadPpm(ppm);
        ExpectSame(source, theirs, c.fiveBits, std::string(c.name) + " source vs ImageMagick");
        ExpectSame(Shown(*tga, width, height), theirs, c.fiveBits, std::string(c.name) + " shown vs ImageMagick");
    }
}

TEST_F(ImageMagick, TargaFilesItWritesLoadTheRightWayUp) {
    const int width = 11, height = 6;
    const Image source = TestImage(width, height);
    const std::string sourcePath = dir.File("source.ppm");
    WritePpm(sourcePath, source);

    struct Case {
        const char* name;
        const char* options;  // a bottom-first file is written from the flipped picture
        unsigned depth, descriptorBit;
    } cases[] = {
        {"8-bit top first", "-type Palette -orient TopLeft", 8, 0x20},
        {"8-bit bottom first", "-flip -type Palette -orient BottomLeft", 8, 0},
        {"16-bit top first", "-depth 5 -orient TopLeft", 16, 0x20},
        {"16-bit bottom first", "-flip -depth 5 -orient BottomLeft", 16, 0},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File("im.tga");
        ASSERT_TRUE(Convert(sourcePath + " " + c.options + " tga:" + path)) << c.name;
        const Bytes file = test::ReadFileBytes(path);
        ASSERT_GE(file.size(), 18u);
        ASSERT_EQ(file[16], c.depth) << c.name;
        ASSERT_EQ(file[17] & 0x20, c.descriptorBit) << c.name;

        auto picture = std::make_shared<CTGA>();
        std::string error;
        ASSERT_TRUE(picture->LoadFile(path, &error)) << c.name << ": " << error;
        const Image shown = Shown(*picture, width, height);
        const std::string ppm = dir.File("im.ppm");
        ASSERT_TRUE(Convert(path + " -auto-orient -depth 8 ppm:" + ppm)) << c.name;
        ExpectSame(shown, ReadPpm(ppm), c.depth == 16, std::string(c.name) + " vs ImageMagick's reading");
        // ImageMagick reduces to five bits on its own terms; the 8-bit files hold the source exactly.
        if (c.depth == 8) ExpectSame(shown, source, false, std::string(c.name) + " vs the source");

        // And it saves the bytes it loaded.
        auto out = ByteArchive::ToMemory();
        picture->Serialize(*out);
        EXPECT_EQ(out->Bytes(), file) << c.name;
    }
}

}  // namespace
}  // namespace brelko
