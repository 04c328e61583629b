#include "data/PictureDrawing.h"

#include <algorithm>
#include <cstdint>

#include "data/CData.h"
#include "data/PixelConvert.h"

namespace brelko {

int ClampZoomLevel(int level) { return std::clamp(level, CData::kMinZoomLevel, CData::kMaxZoomLevel); }

PictureSize ComputeDisplayedSize(int width, int height, int zoomLevel, bool naturalScale, bool fitToWindow,
                                 PictureSize clientSize, int naturalNum, int naturalDen) {
    if (fitToWindow) return clientSize;
    const int level = ClampZoomLevel(zoomLevel);
    auto scale = [level](int v) -> int {
        const std::int64_t s = level >= 0 ? std::int64_t(v) << level : std::int64_t(v) >> -level;
        return static_cast<int>(std::max<std::int64_t>(s, 1));
    };
    const int displayedWidth = scale(width);
    int displayedHeight;
    if (naturalScale && naturalDen > 0)
        displayedHeight = static_cast<int>(std::int64_t(naturalNum) * displayedWidth / naturalDen);
    else
        displayedHeight = scale(height);
    return {displayedWidth, displayedHeight};
}

PictureSize DrawPicture(DrawSurface& surface, const PictureImage& image, const CData& state,
                        std::vector<std::uint8_t>& indexCache) {
    if (image.palette) surface.SelectPalette(*image.palette);

    const std::size_t count = std::size_t(image.width) * std::size_t(image.height);
    const int depth = surface.Depth();
    std::vector<std::uint8_t> bits;      // the picture in a 24- or 32-bit layout
    std::vector<std::uint16_t> values;   // or in the 16-bit layout
    PixelBuffer buffer{image.width, image.height, depth, 0, nullptr};
    switch (depth) {
        case 8:
            if (indexCache.size() != count)
                indexCache = BuildIndexCache(surface.SystemPalette(), image.pixels8, image.colorTable, image.pixels16,
                                             image.bitsPerPixel, count);
            buffer.stride = std::size_t(image.width);
            buffer.bits = indexCache.data();
            break;
        case 16: {
            // Always a copy: the picture's own pixels stay as loaded, so drawing
            // twice shows the same colours and saving writes what was read.
            values.resize(count);
            ConvertPixels(values.data(), 16, image.pixels8, image.colorTable, image.pixels16, image.bitsPerPixel,
                          count);
            if (surface.GreenMask16() == 0x07E0) AdjustTo565(values.data(), count);
            buffer.stride = std::size_t(image.width) * 2;
            buffer.bits = reinterpret_cast<const std::uint8_t*>(values.data());
            break;
        }
        case 24:
        case 32:
            bits.resize(count * std::size_t(depth / 8));
            ConvertPixels(bits.data(), depth, image.pixels8, image.colorTable, image.pixels16, image.bitsPerPixel,
                          count);
            buffer.stride = std::size_t(image.width) * std::size_t(depth / 8);
            buffer.bits = bits.data();
            break;
        default:
            break;  // no picture for a screen of another depth
    }

    const PictureSize size =
        ComputeDisplayedSize(image.width, image.height, state.m_nZoom, state.m_bNaturalScale != 0,
                             state.m_bFitToWindow != 0, surface.ClientSize(), image.naturalNum, image.naturalDen);
    if (buffer.bits) surface.StretchCopy(0, 0, size.width, size.height, buffer, image.flipVertical);
    return size;
}

}  // namespace brelko
