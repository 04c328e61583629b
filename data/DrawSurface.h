// What a picture draws into: a window's surface with the screen's pixel depth.
// The GUI provides one over its widgets; SoftwareSurface renders into memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/PictureTypes.h"

namespace brelko {

// A block of pixels in the surface's own depth, rows top to bottom.
struct PixelBuffer {
    int width = 0;
    int height = 0;
    int depth = 0;            // 8 (system palette indices), 16, 24 (B,G,R) or 32 (B,G,R,0)
    std::size_t stride = 0;   // bytes per row
    const std::uint8_t* bits = nullptr;
};

// The fixed 256-colour palette of an 8-bit screen: a 6x6x6 colour cube
// followed by 40 grey steps.
const std::vector<PaletteEntry>& FixedSystemPalette();

class DrawSurface {
public:
    virtual ~DrawSurface() = default;

    // Bits per pixel of the screen: 8, 16, 24 or 32 (anything else gets no picture).
    virtual int Depth() const = 0;
    // Size of the window's client area, for fit-to-window.
    virtual PictureSize ClientSize() const = 0;
    // 16-bit screens: the green mask of the pixel layout, 0x03E0 (5-5-5) or 0x07E0 (5-6-5).
    virtual std::uint32_t GreenMask16() const { return 0x03E0; }
    // 8-bit screens: the current system palette.
    virtual std::vector<PaletteEntry> SystemPalette() const { return FixedSystemPalette(); }
    // Makes the picture's palette the foreground palette (8-bit screens).
    virtual void SelectPalette(const LogicalPalette& palette) { (void)palette; }
    // Stretches the whole source onto the destination rectangle (nearest
    // pixel), upside down when flipVertical is set.
    virtual void StretchCopy(int dstX, int dstY, int dstWidth, int dstHeight, const PixelBuffer& source,
                             bool flipVertical) = 0;
};

}  // namespace brelko
