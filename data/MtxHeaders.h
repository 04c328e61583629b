// The five header records of an MTX file. Fields that the program does not
// interpret are kept as read, so a picture saves byte for byte as it came.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ByteArchive.h"

namespace brelko {

// Reads or writes one little-endian field, as the archive's mode says.
inline void ArchiveField(ByteArchive& ar, std::uint8_t& v) {
    if (ar.IsLoading()) v = ar.ReadU8(); else ar.WriteU8(v);
}
inline void ArchiveField(ByteArchive& ar, std::uint16_t& v) {
    if (ar.IsLoading()) v = ar.ReadU16(); else ar.WriteU16(v);
}
inline void ArchiveField(ByteArchive& ar, std::uint32_t& v) {
    if (ar.IsLoading()) v = ar.ReadU32(); else ar.WriteU32(v);
}

struct MtxFileHeader {  // 14 bytes, nothing interpreted
    static constexpr int kSize = 14;
    std::uint16_t reserved0 = 0;
    std::uint8_t reserved2 = 0;
    std::uint16_t reserved3 = 0;
    std::uint8_t reserved5 = 0;
    std::uint32_t reserved6 = 0;
    std::uint32_t reserved10 = 0;
    void Serialize(ByteArchive& ar);
};

struct MtxImageHeader {  // 28 bytes
    static constexpr int kSize = 28;
    std::uint8_t reserved0 = 0;
    std::uint16_t xOrigin = 0;
    std::uint16_t yOrigin = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t reserved9 = 0;
    std::uint8_t reserved10 = 0;
    std::uint8_t reserved11 = 0;
    std::uint8_t bitsPerPixel = 0;  // 8 or 16
    std::uint8_t reserved13 = 0;
    std::uint8_t bottomUp = 0;      // nonzero: the first stored row is the bottom row
    std::uint8_t reserved15 = 0;
    std::uint32_t reserved16 = 0;
    std::uint32_t reserved20 = 0;
    std::uint32_t reserved24 = 0;
    void Serialize(ByteArchive& ar);
};

struct MtxPaletteHeader {  // 15 bytes
    static constexpr int kSize = 15;
    std::uint8_t reserved0 = 0;
    std::uint16_t entryCount = 0;  // N: entries of the palette block
    std::uint16_t reserved3 = 0;
    std::uint8_t reserved5 = 0;
    std::uint8_t reserved6 = 0;
    std::uint32_t reserved7 = 0;
    std::uint32_t reserved11 = 0;
    void Serialize(ByteArchive& ar);
};

struct MtxBlockHeader {  // 19 bytes, before the palette and before the pixels
    static constexpr int kSize = 19;
    std::uint8_t reserved0 = 0;
    std::uint8_t reserved1 = 0;
    std::uint8_t bytesPerEntry = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t reserved7 = 0;
    std::uint32_t reserved11 = 0;
    std::uint32_t reserved15 = 0;
    void Serialize(ByteArchive& ar);
};

// Everything an MTX file holds, as stored.
struct MtxContent {
    MtxFileHeader file;
    MtxImageHeader image;
    MtxPaletteHeader paletteHeader;    // 8-bit pictures
    MtxBlockHeader paletteBlock;       // 8-bit pictures
    MtxBlockHeader pixelBlock;
    std::vector<std::uint8_t> pixels8;         // W x H indices, 8-bit pictures
    std::vector<std::uint8_t> paletteTriples;  // 3 x N bytes red, green, blue
    std::vector<std::uint16_t> pixels16;       // W x H values, 16-bit pictures
};

}  // namespace brelko
