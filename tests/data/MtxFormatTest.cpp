// The MTX format: byte-for-byte round trips, preparing the palette, and files
// that must be refused before anything is allocated.
#include <gtest/gtest.h>

#include "platform/ByteArchive.h"
#include "data/CMTX.h"
#include "tests/data/PictureFiles.h"

namespace brelko {
namespace {

using test::Bytes;
using test::Rgb;

std::shared_ptr<CMTX> LoadMtx(const Bytes& bytes, std::string* error = nullptr) {
    auto picture = std::make_shared<CMTX>();
    auto ar = ByteArchive::FromBytes(bytes, "x.mtx");
    picture->Serialize(*ar);
    if (error) *error = ar->Ok() ? std::string() : ar->ErrorText();
    return ar->Ok() ? picture : nullptr;
}

Bytes StoreMtx(CData& data) {
    auto ar = ByteArchive::ToMemory("x.mtx");
    data.Serialize(*ar);
    EXPECT_TRUE(ar->Ok()) << ar->ErrorText();
    return ar->Bytes();
}

std::vector<Rgb> GreyPalette(unsigned n) {
    std::vector<Rgb> p;
    for (unsigned i = 0; i < n; ++i) p.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7)});
    return p;
}

Bytes Ramp(unsigned count, unsigned modulo) {
    Bytes b;
    for (unsigned i = 0; i < count; ++i) b.push_back(std::uint8_t((i * 37) % modulo));
    return b;
}

TEST(MtxFormat, EightBitFilesStoreTheBytesTheyLoaded) {
    struct Case {
        unsigned width, height, paletteSize, bottomUp;
    } cases[] = {{4, 3, 256, 0}, {7, 5, 16, 1}, {1, 1, 1, 0}, {320, 240, 256, 1}, {3, 2, 0, 0}};
    for (const auto& c : cases) {
        test::Mtx8Spec layout;
        layout.width = c.width;
        layout.height = c.height;
        layout.palette = GreyPalette(c.paletteSize);
        layout.pixels = Ramp(c.width * c.height, c.paletteSize ? c.paletteSize : 256);
        layout.bottomUp = c.bottomUp;
        const Bytes file = test::MakeMtx8(layout);
        auto picture = LoadMtx(file);
        ASSERT_TRUE(picture) << c.width << "x" << c.height;
        EXPECT_EQ(StoreMtx(*picture), file) << c.width << "x" << c.height;
        EXPECT_EQ(picture->m_strDescription, "8 bit MTX " + std::to_string(c.width) + "x" + std::to_string(c.height));
    }
}

TEST(MtxFormat, SixteenBitFilesStoreTheBytesTheyLoaded) {
    test::Mtx16Spec layout;
    layout.width = 5;
    layout.height = 4;
    for (unsigned i = 0; i < 20; ++i) layout.pixels.push_back(std::uint16_t(0x8000 * (i & 1) + i * 1601));
    layout.bottomUp = 1;
    const Bytes file = test::MakeMtx16(layout);
    auto picture = LoadMtx(file);
    ASSERT_TRUE(picture);
    EXPECT_EQ(StoreMtx(*picture), file);
    EXPECT_EQ(picture->m_strDescription, "16 bit MTX 5x4");
    EXPECT_EQ(picture->ColorCount(), 0);
    EXPECT_TRUE(picture->Palette().entries.empty());
}

TEST(MtxFormat, DisplayedSizeIsTwoHundredByHundredUntilLoaded) {
    CMTX picture;
    EXPECT_EQ(picture.DisplayedSize(), (PictureSize{200, 100}));
    EXPECT_EQ(picture.m_bValid, 0);
    test::Mtx16Spec layout;
    layout.pixels.assign(12, 0);
    auto loaded = LoadMtx(test::MakeMtx16(layout));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->DisplayedSize(), (PictureSize{4, 3}));
    EXPECT_EQ(loaded->m_bValid, 1);
}

TEST(MtxFormat, PaletteHoldsTheUsedColoursInOrderOfFirstAppearance) {
    test::Mtx8Spec layout;
    layout.width = 5;
    layout.height = 2;
    layout.palette = GreyPalette(256);
    layout.pixels = {200, 3, 200, 77, 3, 9, 250, 9, 77, 200};  // five of 256 entries
    auto picture = LoadMtx(test::MakeMtx8(layout));
    ASSERT_TRUE(picture);
    const LogicalPalette palette = picture->Palette();
    EXPECT_EQ(palette.version, 0x300);
    ASSERT_EQ(palette.entries.size(), 5u);
    EXPECT_EQ(picture->ColorCount(), 5);
    const unsigned order[] = {200, 3, 77, 9, 250};
    for (int i = 0; i < 5; ++i) {
        const Rgb c = layout.palette[order[i]];
        EXPECT_EQ(palette.entries[i], (PaletteEntry{c.r, c.g, c.b, 0})) << i;
    }
}

TEST(MtxFormat, AllTwoHundredFiftySixColoursMakeAFullPalette) {
    test::Mtx8Spec layout;
    layout.width = 16;
    layout.height = 16;
    layout.palette = GreyPalette(256);
    for (unsigned i = 0; i < 256; ++i) layout.pixels.push_back(std::uint8_t(255 - i));
    auto picture = LoadMtx(test::MakeMtx8(layout));
    ASSERT_TRUE(picture);
    const LogicalPalette palette = picture->Palette();
    ASSERT_EQ(palette.entries.size(), 256u);
    EXPECT_EQ(palette.entries[0].red, layout.palette[255].r);
    EXPECT_EQ(palette.entries[255].red, layout.palette[0].r);
}

TEST(MtxFormat, EqualPaletteColoursShareOneEntryAndIndicesBeyondThePaletteAreBlack) {
    test::Mtx8Spec layout;
    layout.width = 4;
    layout.height = 1;
    layout.palette = {{10, 20, 30}, {10, 20, 30}, {0, 0, 0}};
    layout.pixels = {0, 1, 200, 2};  // 200 lies beyond the three stored entries
    auto picture = LoadMtx(test::MakeMtx8(layout));
    ASSERT_TRUE(picture);
    const auto entries = picture->Palette().entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (PaletteEntry{10, 20, 30, 0}));
    EXPECT_EQ(entries[1], (PaletteEntry{0, 0, 0, 0}));
}

TEST(MtxFormat, HostileOrDamagedFilesAreRefusedWithAReason) {
    test::Mtx8Spec small;
    small.palette = GreyPalette(4);
    small.pixels = Ramp(12, 4);
    Bytes shortPixels = test::MakeMtx8(small);
    shortPixels.pop_back();
    Bytes shortPalette = test::MakeMtx8(small);
    shortPalette.resize(14 + 28 + 15 + 19 + 5);
    test::Mtx16Spec sixteen;
    sixteen.pixels.assign(12, 1);
    Bytes short16 = test::MakeMtx16(sixteen);
    short16.pop_back();

    struct Case {
        const char* name;
        Bytes file;
        const char* reasonPart;
    } cases[] = {
        {"42 bytes declaring 65535x65535 at 8 bits", [] {
             Bytes b = test::MakeMtxHeaders(65535, 65535, 8);
             b.resize(b.size() + 15 + 19);
             return b;
         }(), "too short for a 65535x65535"},
        {"the two headers alone, 65535x65535", test::MakeMtxHeaders(65535, 65535, 8), "truncated"},
        {"65535x65535 at 16 bits with a block header", [] {
             Bytes b = test::MakeMtxHeaders(65535, 65535, 16);
             b.resize(b.size() + 19);
             return b;
         }(), "too short for a 65535x65535"},
        {"24 bits per pixel", test::MakeMtxHeaders(2, 2, 24), "24 bits per pixel"},
        {"0 bits per pixel", test::MakeMtxHeaders(2, 2, 0), "0 bits per pixel"},
        {"no width", test::MakeMtxHeaders(0, 5, 16), "no pixels"},
        {"no height", test::MakeMtxHeaders(5, 0, 8), "no pixels"},
        {"last pixel missing", shortPixels, "truncated"},
        {"palette cut short", shortPalette, "truncated"},
        {"last 16-bit pixel half there", short16, "truncated"},
        {"header cut short", Bytes(30, 0), "truncated"},
        {"empty file", Bytes{}, "truncated"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(LoadMtx(c.file, &error)) << c.name;
        EXPECT_NE(error.find(c.reasonPart), std::string::npos) << c.name << ": " << error;
    }
}

TEST(MtxFormat, AFailedLoadKeepsThePictureThatWasThere) {
    test::Mtx16Spec layout;
    layout.pixels.assign(12, 0x1234);
    auto picture = LoadMtx(test::MakeMtx16(layout));
    ASSERT_TRUE(picture);
    auto ar = ByteArchive::FromBytes(test::MakeMtxHeaders(65535, 65535, 16));
    picture->Serialize(*ar);
    EXPECT_FALSE(ar->Ok());
    EXPECT_EQ(picture->m_bValid, 1);
    EXPECT_EQ(picture->m_strDescription, "16 bit MTX 4x3");
    EXPECT_EQ(picture->Content().pixels16, layout.pixels);
}

TEST(MtxFormat, AnEmptyPictureIsNotSaved) {
    CMTX picture;
    auto ar = ByteArchive::ToMemory("x.mtx");
    picture.Serialize(*ar);
    EXPECT_FALSE(ar->Ok());
    EXPECT_TRUE(ar->Bytes().empty());
}

}  // namespace
}  // namespace brelko
