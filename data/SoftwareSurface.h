// A drawing surface that renders into memory: a window's client area of a
// given size on a screen of a given depth. Used by the tests, the
// command-line tool and anything that needs a picture's pixels as shown.
#pragma once

#include <cstdint>
#include <vector>

#include "data/DrawSurface.h"

namespace brelko {

class SoftwareSurface : public DrawSurface {
public:
    // depth 8, 16, 24 or 32; on 16 bits, green565 selects the 5-6-5 layout.
    SoftwareSurface(int depth, int clientWidth, int clientHeight, bool green565 = false);

    int Depth() const override { return m_depth; }
    PictureSize ClientSize() const override { return {m_width, m_height}; }
    std::uint32_t GreenMask16() const override { return m_green565 ? 0x07E0 : 0x03E0; }
    void SelectPalette(const LogicalPalette& palette) override;
    void StretchCopy(int dstX, int dstY, int dstWidth, int dstHeight, const PixelBuffer& source,
                     bool flipVertical) override;

    // The pixel value as stored in the client area (index, 16-bit value,
    // 0xRRGGBB for 24 and 32 bits); 0 outside.
    std::uint32_t RawPixel(int x, int y) const;
    // The colour shown at (x, y): 16-bit values widened by shifting, 8-bit
    // indices through the system palette.
    RgbQuad ColorAt(int x, int y) const;

    const LogicalPalette& SelectedPalette() const { return m_selected; }
    int CopyCount() const { return m_copies; }
    void Clear();

private:
    int m_depth;
    int m_width;
    int m_height;
    bool m_green565;
    int m_bytesPerPixel;
    std::vector<std::uint8_t> m_canvas;  // client area, rows top to bottom
    LogicalPalette m_selected;
    int m_copies = 0;
};

}  // namespace brelko
