// Drawing: the pixel conversion, the displayed size at every zoom setting,
// the vertical flip rules and the 8-bit-screen index cache, checked on the
// pixels a software surface ends up with.
#include <gtest/gtest.h>

#include "platform/ByteArchive.h"
#include "data/CMTX.h"
#include "data/CTGA.h"
#include "data/PictureDrawing.h"
#include "tests/data/PictureFiles.h"
#include "data/PixelConvert.h"
#include "data/SoftwareSurface.h"

namespace brelko {
namespace {

using test::Bytes;

template <typename T>
std::shared_ptr<T> Load(const Bytes& bytes) {
    auto picture = std::make_shared<T>();
    auto ar = ByteArchive::FromBytes(bytes);
    picture->Serialize(*ar);
    EXPECT_TRUE(ar->Ok()) << ar->ErrorText();
    return picture;
}

std::shared_ptr<CMTX> Mtx16(unsigned width, unsigned height, std::vector<std::uint16_t> pixels, unsigned bottomUp = 0) {
    test::Mtx16Spec layout;
    layout.width = width;
    layout.height = height;
    layout.pixels = std::move(pixels);
    layout.bottomUp = bottomUp;
    return Load<CMTX>(test::MakeMtx16(layout));
}

std::shared_ptr<CMTX> Mtx8(unsigned width, unsigned height, std::vector<test::Rgb> palette, Bytes pixels,
                           unsigned bottomUp = 0) {
    test::Mtx8Spec layout;
    layout.width = width;
    layout.height = height;
    layout.palette = std::move(palette);
    layout.pixels = std::move(pixels);
    layout.bottomUp = bottomUp;
    return Load<CMTX>(test::MakeMtx8(layout));
}

bool IsColor(const RgbQuad& c, unsigned r, unsigned g, unsigned b) { return c.red == r && c.green == g && c.blue == b; }

TEST(PixelConversion, EachSourceIntoEachScreenDepth) {
    ColorTable table{};
    table[1] = RgbQuad{0x08, 0x80, 0xFF, 0};  // blue, green, red
    const std::uint8_t pixels8[] = {1, 0};
    const std::uint16_t pixels16[] = {0x7E01, 0xFFFF};

    std::uint16_t out16[2] = {};
    ConvertPixels(out16, 16, pixels8, table.data(), nullptr, 8, 2);
    EXPECT_EQ(out16[0], 0x7E01);
    EXPECT_EQ(out16[1], 0);

    std::uint8_t out24[6] = {};
    ConvertPixels(out24, 24, nullptr, nullptr, pixels16, 16, 2);
    EXPECT_EQ((Bytes{out24, out24 + 6}), (Bytes{0x08, 0x80, 0xF8, 0xF8, 0xF8, 0xF8}));  // bit 15 ignored

    std::uint8_t out32[8] = {};
    ConvertPixels(out32, 32, pixels8, table.data(), nullptr, 8, 2);
    EXPECT_EQ((Bytes{out32, out32 + 8}), (Bytes{0x08, 0x80, 0xFF, 0, 0, 0, 0, 0}));
    ConvertPixels(out32, 32, nullptr, nullptr, pixels16, 16, 2);
    EXPECT_EQ((Bytes{out32, out32 + 8}), (Bytes{0x08, 0x80, 0xF8, 0, 0xF8, 0xF8, 0xF8, 0}));

    ConvertPixels(out16, 16, nullptr, nullptr, pixels16, 16, 2);
    EXPECT_EQ(out16[1], 0xFFFF);
    std::uint16_t same[1] = {0x1234};
    ConvertPixels(same, 16, nullptr, nullptr, same, 16, 1);
    EXPECT_EQ(same[0], 0x1234);

    std::uint8_t untouched[4] = {9, 9, 9, 9};
    ConvertPixels(untouched, 15, pixels8, table.data(), nullptr, 8, 1);
    ConvertPixels(untouched, 32, pixels8, table.data(), nullptr, 4, 1);
    EXPECT_EQ((Bytes{untouched, untouched + 4}), (Bytes{9, 9, 9, 9}));
}

TEST(PixelConversion, FiveFiveFiveBecomesFiveSixFive) {
    std::uint16_t values[] = {0x7FFF, 0x001F, 0x03E0, 0x7C00, 0x8000};
    AdjustTo565(values, 5);
    EXPECT_EQ(values[0], 0xFFDF);
    EXPECT_EQ(values[1], 0x001F);
    EXPECT_EQ(values[2], 0x07C0);
    EXPECT_EQ(values[3], 0xF800);
    EXPECT_EQ(values[4], 0x0000);
}

TEST(DisplayedSize, FollowsZoomNaturalScaleAndFit) {
    struct Case {
        int zoom;
        bool natural, fit;
        PictureSize mtx, tga;
    } cases[] = {
        {0, false, false, {320, 240}, {320, 240}},
        {2, false, false, {1280, 960}, {1280, 960}},
        {2, true, false, {1280, 853}, {1280, 960}},
        {1, true, false, {640, 426}, {640, 480}},
        {-1, false, false, {160, 120}, {160, 120}},
        {-4, false, false, {20, 15}, {20, 15}},
        {-9, false, false, {20, 15}, {20, 15}},        // clamped at 1/16
        {3, false, true, {500, 400}, {500, 400}},      // the client area
        {2, true, true, {500, 400}, {500, 400}},
    };
    auto mtx = Mtx16(320, 240, std::vector<std::uint16_t>(320 * 240, 0x1234));
    test::TgaSpec tgaSpec;
    tgaSpec.width = 320;
    tgaSpec.height = 240;
    tgaSpec.depth = 16;
    tgaSpec.pixels16.assign(320 * 240, 0x4321);
    auto tga = Load<CTGA>(test::MakeTga(tgaSpec));
    for (const auto& c : cases) {
        SoftwareSurface surface(32, 500, 400);
        for (CData* data : {static_cast<CData*>(mtx.get()), static_cast<CData*>(tga.get())}) {
            data->m_nZoom = c.zoom;
            data->m_bNaturalScale = c.natural;
            data->m_bFitToWindow = c.fit;
            data->Draw(surface);
        }
        EXPECT_EQ(mtx->DisplayedSize(), c.mtx) << "zoom " << c.zoom << " natural " << c.natural << " fit " << c.fit;
        EXPECT_EQ(tga->DisplayedSize(), c.tga) << "zoom " << c.zoom << " natural " << c.natural << " fit " << c.fit;
    }
}

TEST(DisplayedSize, NeverVanishesNorOverflows) {
    EXPECT_EQ(ComputeDisplayedSize(3, 2, -4, false, false, {}, 2, 3), (PictureSize{1, 1}));
    EXPECT_EQ(ComputeDisplayedSize(65535, 65535, 1000, false, false, {}, 2, 3), (PictureSize{65535 << 12, 65535 << 12}));
    EXPECT_EQ(ComputeDisplayedSize(65535, 10, 1000, true, false, {}, 2, 3),
              (PictureSize{65535 << 12, int(2LL * (65535 << 12) / 3)}));
    EXPECT_EQ(ClampZoomLevel(-5), -4);
    EXPECT_EQ(ClampZoomLevel(7), 7);
}

TEST(ZoomCommands, KeepTheirModesAndBounds) {
    auto picture = Mtx16(30, 20, std::vector<std::uint16_t>(600, 7));
    SoftwareSurface surface(32, 64, 64);
    auto drawn = [&] {
        picture->Draw(surface);
        return picture->DisplayedSize();
    };
    picture->ToggleNaturalScale();
    picture->ZoomIn();
    picture->ZoomIn();
    EXPECT_EQ(drawn(), (PictureSize{120, 80}));
    picture->ZoomActualSize();
    EXPECT_EQ(drawn(), (PictureSize{30, 20}));  // natural scale stays on
    EXPECT_EQ(picture->m_bNaturalScale, 1);
    picture->ToggleFitToWindow();
    EXPECT_EQ(picture->m_bNaturalScale, 0);
    EXPECT_EQ(drawn(), (PictureSize{64, 64}));
    picture->ToggleNaturalScale();
    EXPECT_EQ(picture->m_bFitToWindow, 0);
    picture->ToggleNaturalScale();
    for (int i = 0; i < 10; ++i) picture->ZoomOut();
    EXPECT_EQ(picture->m_nZoom, CData::kMinZoomLevel);
    picture->ZoomIn();
    EXPECT_EQ(drawn(), (PictureSize{3, 2}));  // one step up from 1/16 shows at once
    for (int i = 0; i < 40; ++i) picture->ZoomIn();
    EXPECT_EQ(picture->m_nZoom, CData::kMaxZoomLevel);
}

TEST(Drawing, ZoomStretchesEveryPixel) {
    auto picture = Mtx8(2, 1, {{255, 0, 0}, {0, 0, 255}}, {0, 1});
    picture->m_nZoom = 1;
    SoftwareSurface surface(32, 6, 3);
    picture->Draw(surface);
    for (int y = 0; y < 2; ++y) {
        EXPECT_TRUE(IsColor(surface.ColorAt(0, y), 255, 0, 0));
        EXPECT_TRUE(IsColor(surface.ColorAt(1, y), 255, 0, 0));
        EXPECT_TRUE(IsColor(surface.ColorAt(2, y), 0, 0, 255));
        EXPECT_TRUE(IsColor(surface.ColorAt(3, y), 0, 0, 255));
    }
    EXPECT_EQ(surface.RawPixel(4, 0), 0u);
    EXPECT_EQ(surface.RawPixel(0, 2), 0u);
}

TEST(Drawing, BottomUpMtxShowsTheFirstStoredRowAtTheBottom) {
    for (unsigned bottomUp : {0u, 1u}) {
        auto picture = Mtx8(1, 3, {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}}, {0, 1, 2}, bottomUp);
        SoftwareSurface surface(24, 1, 3);
        picture->Draw(surface);
        EXPECT_EQ(surface.ColorAt(0, bottomUp ? 2 : 0).red, 10) << bottomUp;
        EXPECT_EQ(surface.ColorAt(0, 1).red, 20) << bottomUp;
        EXPECT_EQ(surface.ColorAt(0, bottomUp ? 0 : 2).red, 30) << bottomUp;
    }
}

TEST(Drawing, TargaRowOrderFollowsItsDescriptor) {
    // Which stored row ends up at the top of the window.
    struct Case {
        unsigned depth, descriptor, topStoredRow;
    } cases[] = {{16, 0x00, 1}, {16, 0x20, 0}, {8, 0x20, 0}, {8, 0x00, 1}, {8, 0x21, 0}};
    for (const auto& c : cases) {
        test::TgaSpec layout;
        layout.width = 1;
        layout.height = 2;
        layout.depth = c.depth;
        layout.descriptor = c.descriptor;
        layout.colorMap = {{8, 0, 0}, {16, 0, 0}};
        layout.pixels8 = {0, 1};
        layout.pixels16 = {test::Pack15(1, 0, 0), test::Pack15(2, 0, 0)};
        auto picture = Load<CTGA>(test::MakeTga(layout));
        SoftwareSurface surface(32, 1, 2);
        picture->Draw(surface);
        const unsigned expectedTop = (c.topStoredRow + 1) * 8;
        EXPECT_EQ(surface.ColorAt(0, 0).red, expectedTop) << c.depth << "/" << c.descriptor;
        EXPECT_EQ(surface.ColorAt(0, 1).red, 24 - expectedTop) << c.depth << "/" << c.descriptor;
    }
}

TEST(Drawing, FiveSixFiveScreenShows7FFFAsFFDFEveryTime) {
    auto mtx = Mtx16(1, 1, {0x7FFF});
    test::TgaSpec layout;
    layout.width = 1;
    layout.height = 1;
    layout.depth = 16;
    layout.pixels16 = {0x7FFF};
    auto tga = Load<CTGA>(test::MakeTga(layout));
    for (CData* picture : {static_cast<CData*>(mtx.get()), static_cast<CData*>(tga.get())}) {
        for (int round = 0; round < 2; ++round) {
            SoftwareSurface screen565(16, 1, 1, true);
            picture->Draw(screen565);
            EXPECT_EQ(screen565.RawPixel(0, 0), 0xFFDFu) << round;
            SoftwareSurface screen555(16, 1, 1, false);
            picture->Draw(screen555);
            EXPECT_EQ(screen555.RawPixel(0, 0), 0x7FFFu) << round;
        }
    }
    EXPECT_EQ(tga->Content().pixels16[0], 0x7FFF);  // drawing never changes what is saved
    EXPECT_EQ(mtx->Content().pixels16[0], 0x7FFF);
}

TEST(Drawing, EightBitPictureOnSixteenBitScreen) {
    auto picture = Mtx8(1, 1, {{0xFF, 0x80, 0x08}}, {0});
    SoftwareSurface surface(16, 1, 1, true);
    picture->Draw(surface);
    EXPECT_EQ(surface.RawPixel(0, 0), 0xFC01u);  // 0x7E01 in 5-6-5
}

class CountingSurface : public SoftwareSurface {
public:
    using SoftwareSurface::SoftwareSurface;
    std::vector<PaletteEntry> SystemPalette() const override {
        ++calls;
        return SoftwareSurface::SystemPalette();
    }
    mutable int calls = 0;
};

TEST(Drawing, EightBitScreenUsesTheNearestSystemColourAndKeepsTheCache) {
    auto picture = Mtx8(3, 1, {{255, 0, 0}, {250, 250, 250}, {0, 60, 0}}, {0, 1, 2});
    CountingSurface surface(8, 3, 1);
    picture->Draw(surface);
    picture->Draw(surface);
    EXPECT_EQ(surface.calls, 1);
    EXPECT_EQ(surface.RawPixel(0, 0), 5u * 36);            // the cube's pure red
    EXPECT_EQ(surface.RawPixel(1, 0), 5u * 36 + 5 * 6 + 5);  // white is the nearest of 250 grey
    EXPECT_EQ(surface.RawPixel(2, 0), 1u * 6);             // green 51
    EXPECT_EQ(surface.SelectedPalette().entries.size(), 3u);

    auto sixteen = Mtx16(1, 1, {test::Pack15(31, 0, 0)});
    SoftwareSurface eight(8, 1, 1);
    sixteen->Draw(eight);
    EXPECT_EQ(eight.RawPixel(0, 0), 5u * 36);  // 248 red is nearest to 255
}

TEST(Drawing, IndicesBeyondThePaletteDrawBlack) {
    auto picture = Mtx8(2, 1, {{200, 100, 50}}, {0, 9});
    SoftwareSurface surface(32, 2, 1);
    picture->Draw(surface);
    EXPECT_TRUE(IsColor(surface.ColorAt(0, 0), 200, 100, 50));
    EXPECT_TRUE(IsColor(surface.ColorAt(1, 0), 0, 0, 0));
}

TEST(Drawing, AnEmptyPictureDrawsNothing) {
    CMTX mtx;
    CTGA tga;
    SoftwareSurface surface(32, 10, 10);
    mtx.Draw(surface);
    tga.Draw(surface);
    EXPECT_EQ(surface.CopyCount(), 0);
    EXPECT_EQ(mtx.DisplayedSize(), (PictureSize{200, 100}));
}

TEST(Drawing, OtherScreenDepthsGetNoPictureButASize) {
    auto picture = Mtx16(4, 2, std::vector<std::uint16_t>(8, 1));
    picture->m_nZoom = 1;
    SoftwareSurface surface(4, 10, 10);
    picture->Draw(surface);
    EXPECT_EQ(surface.CopyCount(), 0);
    EXPECT_EQ(picture->DisplayedSize(), (PictureSize{8, 4}));
}

}  // namespace
}  // namespace brelko
