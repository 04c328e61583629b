// The Targa format: both layouts with their row orders, preparing the
// distinct colours, building from MTX pictures, and refused files.
#include <gtest/gtest.h>

#include "platform/ByteArchive.h"
#include "data/CMTX.h"
#include "data/CTGA.h"
#include "tests/data/PictureFiles.h"
#include "platform/Strings.h"

namespace brelko {
namespace {

using test::Bytes;
using test::Rgb;

std::shared_ptr<CTGA> LoadTga(const Bytes& bytes, std::string* error = nullptr) {
    auto picture = std::make_shared<CTGA>();
    auto ar = ByteArchive::FromBytes(bytes, "x.tga");
    picture->Serialize(*ar);
    if (error) *error = ar->Ok() ? std::string() : ar->ErrorText();
    return ar->Ok() ? picture : nullptr;
}

Bytes Store(CData& data) {
    auto ar = ByteArchive::ToMemory("x.tga");
    data.Serialize(*ar);
    EXPECT_TRUE(ar->Ok()) << ar->ErrorText();
    return ar->Bytes();
}

test::TgaSpec EightBit(unsigned descriptor) {
    test::TgaSpec s;
    s.width = 3;
    s.height = 2;
    s.descriptor = descriptor;
    s.colorMap = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    s.pixels8 = {0, 1, 2, 3, 2, 1};
    return s;
}

test::TgaSpec SixteenBit(unsigned descriptor) {
    test::TgaSpec s;
    s.width = 2;
    s.height = 3;
    s.depth = 16;
    s.descriptor = descriptor;
    s.pixels16 = {0x0001, 0x0002, 0x8003, 0x0004, 0x7FFF, 0x0006};  // stored rows {1,2} {3,4} {5,6}
    s.xOrigin = 5;
    s.yOrigin = 6;
    return s;
}

TEST(TgaFormat, BothLayoutsStoreTheBytesTheyLoaded) {
    test::TgaSpec withId = EightBit(0x20);
    withId.imageId = {'c', 'a', 'm'};
    const test::TgaSpec specs[] = {EightBit(0x20), EightBit(0), SixteenBit(0), SixteenBit(0x20), withId};
    for (const auto& layout : specs) {
        const Bytes file = test::MakeTga(layout);
        auto picture = LoadTga(file);
        ASSERT_TRUE(picture) << layout.depth << "/" << layout.descriptor;
        EXPECT_EQ(Store(*picture), file) << layout.depth << "/" << layout.descriptor;
    }
}

TEST(TgaFormat, SixteenBitRowsAreKeptLastStoredRowFirst) {
    auto picture = LoadTga(test::MakeTga(SixteenBit(0)));
    ASSERT_TRUE(picture);
    const std::vector<std::uint16_t> memory = {0x7FFF, 0x0006, 0x8003, 0x0004, 0x0001, 0x0002};
    EXPECT_EQ(picture->Content().pixels16, memory);
    EXPECT_EQ(picture->m_strDescription, "16 bit TGA 2x3");
    EXPECT_EQ(picture->DisplayedSize(), (PictureSize{2, 3}));
}

TEST(TgaFormat, AColourListedTwiceGetsOnePaletteEntryAndSavesAsRead) {
    test::TgaSpec layout = EightBit(0x20);
    layout.colorMap = {{1, 2, 3}, {40, 50, 60}, {1, 2, 3}};
    layout.pixels8 = {2, 1, 0, 0, 2, 1};
    const Bytes file = test::MakeTga(layout);
    auto picture = LoadTga(file);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->ColorCount(), 2);
    const auto entries = picture->Palette().entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (PaletteEntry{1, 2, 3, 0}));
    EXPECT_EQ(entries[1], (PaletteEntry{40, 50, 60, 0}));
    EXPECT_EQ(picture->DisplayPixels(), (Bytes{0, 1, 0, 0, 0, 1}));
    EXPECT_EQ(Store(*picture), file);
    EXPECT_EQ(picture->m_strDescription, "8 bit TGA 3x2");
}

TEST(TgaFormat, IndicesBeyondTheColourMapAreBlack) {
    test::TgaSpec layout = EightBit(0x20);
    layout.colorMap = {{7, 7, 7}};
    layout.pixels8 = {0, 1, 255, 0, 0, 0};
    auto picture = LoadTga(test::MakeTga(layout));
    ASSERT_TRUE(picture);
    const auto entries = picture->Palette().entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1], (PaletteEntry{0, 0, 0, 0}));
    EXPECT_EQ(picture->DisplayPixels(), (Bytes{0, 1, 1, 0, 0, 0}));
}

TEST(TgaFormat, BuiltFromAnEightBitMtxPicture) {
    test::Mtx8Spec mtx;
    mtx.width = 3;
    mtx.height = 2;
    mtx.palette = {{10, 20, 30}, {40, 50, 60}};
    mtx.pixels = {1, 0, 1, 1, 0, 0};
    mtx.bottomUp = 1;  // not consulted
    auto source = std::make_shared<CMTX>();
    auto ar = ByteArchive::FromBytes(test::MakeMtx8(mtx));
    source->Serialize(*ar);
    ASSERT_TRUE(ar->Ok());
    // Described in the user's language.
    SetBuiltinLanguage(Language::Danish);
    EXPECT_EQ(source->ToTarga()->m_strDescription, "8 bit TGA billede 3x2");
    SetBuiltinLanguage(Language::English);
    auto tga = source->ToTarga();
    ASSERT_TRUE(tga);
    EXPECT_EQ(tga->m_strDescription, "8 bit TGA picture 3x2");
    test::TgaSpec expected;
    expected.width = 3;
    expected.height = 2;
    expected.descriptor = 0x21;
    expected.colorMap = {{10, 20, 30}, {40, 50, 60}};
    expected.pixels8 = mtx.pixels;
    EXPECT_EQ(Store(*tga), test::MakeTga(expected));
}

TEST(TgaFormat, BuiltFromASixteenBitMtxPicture) {
    test::Mtx16Spec mtx;
    mtx.width = 2;
    mtx.height = 2;
    mtx.pixels = {0x7C00, 0x03E0, 0x001F, 0x7FFF};  // rows top first
    mtx.xOrigin = 100;
    mtx.yOrigin = 200;
    auto source = std::make_shared<CMTX>();
    auto ar = ByteArchive::FromBytes(test::MakeMtx16(mtx));
    source->Serialize(*ar);
    ASSERT_TRUE(ar->Ok());
    SetBuiltinLanguage(Language::Danish);
    EXPECT_EQ(source->ToTarga()->m_strDescription, "16 bit Targa billede 2x2");
    SetBuiltinLanguage(Language::English);
    auto tga = source->ToTarga();
    ASSERT_TRUE(tga);
    EXPECT_EQ(tga->m_strDescription, "16 bit Targa picture 2x2");
    test::TgaSpec expected;
    expected.width = 2;
    expected.height = 2;
    expected.depth = 16;
    expected.descriptor = 0;
    expected.xOrigin = 100;
    expected.yOrigin = 200;
    expected.pixels16 = {0x001F, 0x7FFF, 0x7C00, 0x03E0};  // bottom row first
    EXPECT_EQ(Store(*tga), test::MakeTga(expected));
}

TEST(TgaFormat, AnEmptyMtxPictureBuildsNoTarga) { EXPECT_FALSE(CMTX().ToTarga()); }

TEST(TgaFormat, LayoutsThatCannotBeReadAreRefusedWithAReason) {
    auto with = [](test::TgaSpec s, auto change) {
        change(s);
        return test::MakeTga(s);
    };
    Bytes truncated = test::MakeTga(EightBit(0));
    truncated.pop_back();
    Bytes truncated16 = test::MakeTga(SixteenBit(0));
    truncated16.pop_back();
    Bytes huge = test::MakeTga(SixteenBit(0));
    huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;  // 65535 x 65535 in a 30-byte file
    struct Case {
        const char* name;
        Bytes file;
        const char* reasonPart;
    } cases[] = {
        {"65535x65535 in a small file", huge, "too short for a 65535x65535"},
        {"run-length encoded", with(SixteenBit(0), [](auto& s) { s.imageType = 10; }), "run-length"},
        {"24 bits per pixel", with(SixteenBit(0), [](auto& s) { s.depth = 24; }), "24 bits per pixel"},
        {"32 bits per pixel", with(SixteenBit(0), [](auto& s) { s.depth = 32; }), "32 bits per pixel"},
        {"257 colour-map entries", with(EightBit(0), [](auto& s) { s.colorMap.resize(257); }), "257 entries"},
        {"16-bit colour-map entries", with(EightBit(0), [](auto& s) { s.entrySize = 16; }), "16 bits"},
        {"grey scale", with(EightBit(0), [](auto& s) { s.imageType = 3; s.colorMapType = 0; }), "image type 3"},
        {"16-bit with a colour map", with(SixteenBit(0), [](auto& s) {
             s.colorMapType = 1;
             s.colorMapLength = 2;
         }), "colour map"},
        {"last pixel missing", truncated, "truncated"},
        {"last 16-bit pixel half there", truncated16, "truncated"},
        {"no width", with(EightBit(0), [](auto& s) { s.width = 0; }), "no pixels"},
        {"header cut short", Bytes(17, 0), "truncated"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(LoadTga(c.file, &error)) << c.name;
        EXPECT_NE(error.find(c.reasonPart), std::string::npos) << c.name << ": " << error;
    }
}

}  // namespace
}  // namespace brelko
