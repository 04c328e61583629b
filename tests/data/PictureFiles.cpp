#include "tests/data/PictureFiles.h"

#include <fstream>
#include <iterator>

namespace brelko::test {

Bytes MakeMtx8(const Mtx8Spec& s) {
    LeWriter w;
    w.u16(0x4D42).u8(0x11).u16(0x2233).u8(0x44).u32(0x55667788).u32(0x99AABBCC);  // file header
    w.u8(0x21).u16(s.xOrigin).u16(s.yOrigin).u16(s.width).u16(s.height).u8(0x31).u8(0x32).u8(0x33).u8(8).u8(0x34)
        .u8(s.bottomUp).u8(0x35).u32(0x01020304).u32(0x05060708).u32(0x090A0B0C);  // image header
    w.u8(0x41).u16(static_cast<unsigned>(s.palette.size())).u16(0x4243).u8(0x44).u8(0x45).u32(0x46474849)
        .u32(0x4A4B4C4D);  // palette header
    const unsigned count = s.blockCount == 0xFFFFFFFF ? static_cast<unsigned>(s.palette.size()) : s.blockCount;
    w.u8(0x51).u8(0x52).u8(s.bytesPerEntry).u32(count).u32(0x53545556).u32(0x5758595A).u32(0x5B5C5D5E);
    for (const Rgb& c : s.palette) w.u8(c.r).u8(c.g).u8(c.b);
    w.u8(0x61).u8(0x62).u8(1).u32(s.width * s.height).u32(0x63646566).u32(0x6768696A).u32(0x6B6C6D6E);
    w.raw(s.pixels);
    return w.bytes;
}

Bytes MakeMtx16(const Mtx16Spec& s) {
    LeWriter w;
    w.u16(0x4D42).u8(0x12).u16(0x2334).u8(0x45).u32(0x56677889).u32(0x9AABBCCD);
    w.u8(0x22).u16(s.xOrigin).u16(s.yOrigin).u16(s.width).u16(s.height).u8(0x36).u8(0x37).u8(0x38).u8(16).u8(0x39)
        .u8(s.bottomUp).u8(0x3A).u32(0x11121314).u32(0x15161718).u32(0x191A1B1C);
    w.u8(0x71).u8(0x72).u8(2).u32(s.width * s.height).u32(0x73747576).u32(0x7778797A).u32(0x7B7C7D7E);
    for (std::uint16_t v : s.pixels) w.u16(v);
    return w.bytes;
}

Bytes MakeMtxHeaders(unsigned width, unsigned height, unsigned bitsPerPixel) {
    LeWriter w;
    w.u16(0).u8(0).u16(0).u8(0).u32(0).u32(0);
    w.u8(0).u16(0).u16(0).u16(width).u16(height).u8(0).u8(0).u8(0).u8(bitsPerPixel).u8(0).u8(0).u8(0).u32(0).u32(0)
        .u32(0);
    return w.bytes;
}

Bytes MakeTga(const TgaSpec& s) {
    LeWriter w;
    const unsigned type = s.imageType ? s.imageType : (s.depth == 16 ? 2 : 1);
    const unsigned mapType = s.colorMapType != 0xFF ? s.colorMapType : (s.depth == 16 ? 0 : 1);
    const unsigned mapLength =
        s.colorMapLength != 0xFFFF ? s.colorMapLength : (s.depth == 16 ? 0 : static_cast<unsigned>(s.colorMap.size()));
    w.u8(static_cast<unsigned>(s.imageId.size())).u8(mapType).u8(type).u16(0).u16(mapLength)
        .u8(s.depth == 16 ? 0 : s.entrySize);
    w.u16(s.xOrigin).u16(s.yOrigin).u16(s.width).u16(s.height).u8(s.depth).u8(s.descriptor);
    w.raw(s.imageId);
    if (s.depth == 16) {
        for (std::uint16_t v : s.pixels16) w.u16(v);
    } else {
        for (const Rgb& c : s.colorMap) w.u8(c.b).u8(c.g).u8(c.r);
        w.raw(s.pixels8);
    }
    return w.bytes;
}

std::uint16_t Pack15(unsigned r5, unsigned g5, unsigned b5) {
    return static_cast<std::uint16_t>((r5 << 10) | (g5 << 5) | b5);
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace brelko::test
