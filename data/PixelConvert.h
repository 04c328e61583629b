// The one pixel conversion routine of the pictures: 8-bit palette indices or
// 15-bit values into the layout of a 16-, 24- or 32-bit screen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/PictureTypes.h"

namespace brelko {

// dstDepth 16: 15-bit values (x RRRRR GGGGG BBBBB); 24: blue, green, red;
// 32: blue, green, red, 0. srcDepth 8 takes pixels8 through colorTable (256
// entries), srcDepth 16 takes pixels16. Other depths do nothing. A 16-bit
// source into a 16-bit destination is copied unless both are the same buffer.
void ConvertPixels(void* dst, int dstDepth, const std::uint8_t* pixels8, const RgbQuad* colorTable,
                   const std::uint16_t* pixels16, int srcDepth, std::size_t count);

// 15-bit values into the 5-6-5 layout of a screen whose green has six bits.
void AdjustTo565(std::uint16_t* values, std::size_t count);

// Index of the nearest palette colour (smallest squared distance, first wins).
std::uint8_t NearestPaletteIndex(const std::vector<PaletteEntry>& palette, std::uint8_t red, std::uint8_t green,
                                 std::uint8_t blue);

// The 8-bit-screen index of every pixel: the nearest system palette entry of
// its colour.
std::vector<std::uint8_t> BuildIndexCache(const std::vector<PaletteEntry>& systemPalette, const std::uint8_t* pixels8,
                                          const RgbQuad* colorTable, const std::uint16_t* pixels16, int srcDepth,
                                          std::size_t count);

}  // namespace brelko
