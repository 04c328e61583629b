// Picture files built byte by byte for the tests, independent of the loaders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brelko::test {

using Bytes = std::vector<std::uint8_t>;

struct LeWriter {
    Bytes bytes;
    LeWriter& u8(unsigned v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    LeWriter& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    LeWriter& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    LeWriter& raw(const Bytes& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
};

struct Rgb {
    std::uint8_t r, g, b;
};

// An 8-bit MTX file. The uninterpreted header fields get distinct non-zero
// values, so that a round trip that loses or reorders one shows.
struct Mtx8Spec {
    unsigned width = 4, height = 3;
    std::vector<Rgb> palette;            // N entries
    Bytes pixels;                        // W x H indices
    unsigned bottomUp = 0;
    unsigned xOrigin = 7, yOrigin = 9;
    unsigned blockCount = 0xFFFFFFFF;    // palette block entry count; default: N
    unsigned bytesPerEntry = 3;
};
Bytes MakeMtx8(const Mtx8Spec& layout);

struct Mtx16Spec {
    unsigned width = 4, height = 3;
    std::vector<std::uint16_t> pixels;
    unsigned bottomUp = 0;
    unsigned xOrigin = 11, yOrigin = 13;
};
Bytes MakeMtx16(const Mtx16Spec& layout);

// The two headers alone, for hostile sizes.
Bytes MakeMtxHeaders(unsigned width, unsigned height, unsigned bitsPerPixel);

// A Targa file: 8-bit with colour map (B,G,R entries) or 16-bit true colour.
// Rows are given in stored order.
struct TgaSpec {
    unsigned width = 4, height = 3;
    unsigned depth = 8;
    unsigned descriptor = 0;
    unsigned imageType = 0;       // 0: 1 for depth 8, 2 for depth 16
    unsigned colorMapType = 0xFF; // 0xFF: 1 for depth 8, 0 for 16
    unsigned entrySize = 24;
    std::vector<Rgb> colorMap;
    unsigned colorMapLength = 0xFFFF;  // 0xFFFF: colorMap.size() (depth 8)
    Bytes pixels8;
    std::vector<std::uint16_t> pixels16;
    Bytes imageId;
    unsigned xOrigin = 0, yOrigin = 0;
};
Bytes MakeTga(const TgaSpec& layout);

std::uint16_t Pack15(unsigned r5, unsigned g5, unsigned b5);

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);

}  // namespace brelko::test
