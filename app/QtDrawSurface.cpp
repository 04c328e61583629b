#include "app/QtDrawSurface.h"

#include <cstdint>
#include <cstring>

namespace brelko::app {

void QtDrawSurface::StretchCopy(int dstX, int dstY, int dstWidth, int dstHeight, const PixelBuffer& source,
                                bool flipVertical) {
    m_at = QPoint(dstX, dstY);
    m_drawn = QSize(dstWidth, dstHeight);
    if (source.depth != 32 || source.width <= 0 || source.height <= 0 || !source.bits) {
        m_image = QImage();
        return;
    }
    // B, G, R, 0 bytes a pixel: 0x00RRGGBB words, which Qt's 32-bit RGB
    // format holds with the top byte set.
    m_image = QImage(source.width, source.height, QImage::Format_RGB32);
    const std::size_t rowBytes = static_cast<std::size_t>(source.width) * 4;
    for (int y = 0; y < source.height; ++y) {
        const int from = flipVertical ? source.height - 1 - y : y;
        auto* row = reinterpret_cast<std::uint32_t*>(m_image.scanLine(y));
        std::memcpy(row, source.bits + static_cast<std::size_t>(from) * source.stride, rowBytes);
        for (int x = 0; x < source.width; ++x) row[x] |= 0xFF000000u;
    }
}

}  // namespace brelko::app
