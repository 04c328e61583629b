// Colour and palette records shared by the pictures, the pixel conversion and
// the drawing surfaces.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace brelko {

// One colour-table entry, in the byte order the screen layouts use.
struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};
static_assert(sizeof(RgbQuad) == 4);

inline bool SameColor(const RgbQuad& a, const RgbQuad& b) {
    return a.blue == b.blue && a.green == b.green && a.red == b.red;
}

// 256 entries: every 8-bit pixel value has a defined colour (black when the
// picture's palette is shorter).
using ColorTable = std::array<RgbQuad, 256>;

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
    bool operator==(const PaletteEntry&) const = default;
};

// The picture palette: the distinct colours a picture uses, in order of first
// appearance.
struct LogicalPalette {
    std::uint16_t version = 0x300;
    std::vector<PaletteEntry> entries;
};

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

// The 15-bit pixel value of the pictures: red in bits 10-14, green 5-9, blue 0-4.
inline RgbQuad ColorOf15(std::uint16_t v) {
    return RgbQuad{static_cast<std::uint8_t>((v & 31) * 8), static_cast<std::uint8_t>(((v >> 5) & 31) * 8),
                   static_cast<std::uint8_t>(((v >> 10) & 31) * 8), 0};
}

}  // namespace brelko
