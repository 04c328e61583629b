#include "data/SoftwareSurface.h"

#include <algorithm>
#include <cstring>

namespace brelko {

const std::vector<PaletteEntry>& FixedSystemPalette() {
    static const std::vector<PaletteEntry> palette = [] {
        std::vector<PaletteEntry> p;
        p.reserve(256);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back({std::uint8_t(r * 51), std::uint8_t(g * 51), std::uint8_t(b * 51), 0});
        for (int i = 0; i < 40; ++i) {
            const auto grey = std::uint8_t(8 + i * 6);  // between the cube's steps
            p.push_back({grey, grey, grey, 0});
        }
        return p;
    }();
    return palette;
}

SoftwareSurface::SoftwareSurface(int depth, int clientWidth, int clientHeight, bool green565)
    : m_depth(depth),
      m_width(std::max(clientWidth, 0)),
      m_height(std::max(clientHeight, 0)),
      m_green565(green565),
      m_bytesPerPixel(std::max(depth / 8, 1)),
      m_canvas(std::size_t(m_width) * std::size_t(m_height) * std::size_t(m_bytesPerPixel)) {}

void SoftwareSurface::SelectPalette(const LogicalPalette& palette) { m_selected = palette; }

void SoftwareSurface::Clear() { std::fill(m_canvas.begin(), m_canvas.end(), 0); }

void SoftwareSurface::StretchCopy(int dstX, int dstY, int dstWidth, int dstHeight, const PixelBuffer& source,
                                  bool flipVertical) {
    ++m_copies;
    if (source.depth != m_depth || !source.bits || source.width <= 0 || source.height <= 0 || dstWidth <= 0 ||
        dstHeight <= 0)
        return;
    const int bpp = m_bytesPerPixel;
    // Only the part inside the client area is drawn; source pixels are chosen
    // by the centre of each destination pixel.
    const int x0 = std::max(dstX, 0), x1 = std::min<long long>(dstX + (long long)dstWidth, m_width);
    const int y0 = std::max(dstY, 0), y1 = std::min<long long>(dstY + (long long)dstHeight, m_height);
    for (int y = y0; y < y1; ++y) {
        long long sy = ((2LL * (y - dstY) + 1) * source.height) / (2LL * dstHeight);
        if (flipVertical) sy = source.height - 1 - sy;
        const std::uint8_t* srcRow = source.bits + std::size_t(sy) * source.stride;
        std::uint8_t* dstRow = m_canvas.data() + (std::size_t(y) * std::size_t(m_width)) * std::size_t(bpp);
        for (int x = x0; x < x1; ++x) {
            const long long sx = ((2LL * (x - dstX) + 1) * source.width) / (2LL * dstWidth);
            std::memcpy(dstRow + std::size_t(x) * bpp, srcRow + std::size_t(sx) * bpp, std::size_t(bpp));
        }
    }
}

std::uint32_t SoftwareSurface::RawPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    const std::uint8_t* p = m_canvas.data() + (std::size_t(y) * std::size_t(m_width) + std::size_t(x)) * m_bytesPerPixel;
    switch (m_depth) {
        case 8: return p[0];
        case 16: return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8);
        case 24:
        case 32: return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
        default: return 0;
    }
}

RgbQuad SoftwareSurface::ColorAt(int x, int y) const {
    const std::uint32_t v = RawPixel(x, y);
    switch (m_depth) {
        case 8: {
            const auto& pal = FixedSystemPalette();
            return RgbQuad{pal[v].blue, pal[v].green, pal[v].red, 0};
        }
        case 16:
            if (m_green565)
                return RgbQuad{std::uint8_t((v & 31) << 3), std::uint8_t(((v >> 5) & 63) << 2),
                               std::uint8_t(((v >> 11) & 31) << 3), 0};
            return ColorOf15(std::uint16_t(v));
        default: return RgbQuad{std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), 0};
    }
}

}  // namespace brelko
