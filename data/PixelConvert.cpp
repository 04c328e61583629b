#include "data/PixelConvert.h"

#include <cstring>

namespace brelko {
namespace {

inline std::uint16_t To15(const RgbQuad& c) {
    return static_cast<std::uint16_t>(((c.red & 0xF8) << 7) | ((c.green & 0xF8) << 2) | (c.blue >> 3));
}

void From8(std::uint8_t* out, int dstDepth, const std::uint8_t* pixels, const RgbQuad* table, std::size_t count) {
    if (dstDepth == 16) {
        std::uint16_t lut[256];
        for (int i = 0; i < 256; ++i) lut[i] = To15(table[i]);
        auto* dst = reinterpret_cast<std::uint16_t*>(out);
        for (std::size_t i = 0; i < count; ++i) dst[i] = lut[pixels[i]];
    } else if (dstDepth == 24) {
        for (std::size_t i = 0; i < count; ++i) {
            const RgbQuad& c = table[pixels[i]];
            out[0] = c.blue;
            out[1] = c.green;
            out[2] = c.red;
            out += 3;
        }
    } else {
        std::uint32_t lut[256];
        for (int i = 0; i < 256; ++i) {
            const RgbQuad c{table[i].blue, table[i].green, table[i].red, 0};
            std::memcpy(&lut[i], &c, 4);
        }
        for (std::size_t i = 0; i < count; ++i) std::memcpy(out + 4 * i, &lut[pixels[i]], 4);
    }
}

void From16(std::uint8_t* out, int dstDepth, const std::uint16_t* pixels, std::size_t count) {
    if (dstDepth == 16) {
        if (static_cast<const void*>(out) != static_cast<const void*>(pixels))
            std::memmove(out, pixels, count * sizeof(std::uint16_t));
    } else if (dstDepth == 24) {
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned v = pixels[i];
            out[0] = static_cast<std::uint8_t>((v & 0x1F) << 3);
            out[1] = static_cast<std::uint8_t>((v >> 2) & 0xF8);
            out[2] = static_cast<std::uint8_t>((v >> 7) & 0xF8);
            out += 3;
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned v = pixels[i];
            const RgbQuad c{static_cast<std::uint8_t>((v & 0x1F) << 3), static_cast<std::uint8_t>((v >> 2) & 0xF8),
                            static_cast<std::uint8_t>((v >> 7) & 0xF8), 0};
            std::memcpy(out + 4 * i, &c, 4);
        }
    }
}

}  // namespace

void ConvertPixels(void* dst, int dstDepth, const std::uint8_t* pixels8, const RgbQuad* colorTable,
                   const std::uint16_t* pixels16, int srcDepth, std::size_t count) {
    if (dstDepth != 16 && dstDepth != 24 && dstDepth != 32) return;
    auto* out = static_cast<std::uint8_t*>(dst);
    if (srcDepth == 8 && pixels8 && colorTable)
        From8(out, dstDepth, pixels8, colorTable, count);
    else if (srcDepth == 16 && pixels16)
        From16(out, dstDepth, pixels16, count);
}

void AdjustTo565(std::uint16_t* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned v = values[i];
        values[i] = static_cast<std::uint16_t>((v & 0x001F) | ((v & 0x7FE0) << 1));
    }
}

std::uint8_t NearestPaletteIndex(const std::vector<PaletteEntry>& palette, std::uint8_t red, std::uint8_t green,
                                 std::uint8_t blue) {
    std::size_t best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size() && i < 256; ++i) {
        const long dr = long(palette[i].red) - red, dg = long(palette[i].green) - green,
                   db = long(palette[i].blue) - blue;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return static_cast<std::uint8_t>(best);
}

std::vector<std::uint8_t> BuildIndexCache(const std::vector<PaletteEntry>& systemPalette, const std::uint8_t* pixels8,
                                          const RgbQuad* colorTable, const std::uint16_t* pixels16, int srcDepth,
                                          std::size_t count) {
    std::vector<std::uint8_t> cache(count);
    // The nearest entry depends only on the pixel value: look each value up once.
    if (srcDepth == 8 && pixels8 && colorTable) {
        std::uint8_t lut[256];
        for (int i = 0; i < 256; ++i)
            lut[i] = NearestPaletteIndex(systemPalette, colorTable[i].red, colorTable[i].green, colorTable[i].blue);
        for (std::size_t i = 0; i < count; ++i) cache[i] = lut[pixels8[i]];
    } else if (srcDepth == 16 && pixels16) {
        std::vector<std::int16_t> lut(32768, -1);
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned v = pixels16[i] & 0x7FFF;
            if (lut[v] < 0) {
                const RgbQuad c = ColorOf15(static_cast<std::uint16_t>(v));
                lut[v] = NearestPaletteIndex(systemPalette, c.red, c.green, c.blue);
            }
            cache[i] = static_cast<std::uint8_t>(lut[v]);
        }
    }
    return cache;
}

}  // namespace brelko
