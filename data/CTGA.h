// A Targa picture: uncompressed 16-bit true colour, or 8-bit indices into a
// colour map of three-byte entries. Written when an MTX picture is saved
// under a ".tga" name.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "data/CPicture.h"
#include "data/MtxHeaders.h"
#include "data/PictureTypes.h"

namespace brelko {

struct TgaHeader {  // 18 bytes
    static constexpr int kSize = 18;
    std::uint8_t idLength = 0;
    std::uint8_t colorMapType = 0;
    std::uint8_t imageType = 0;
    std::uint16_t colorMapFirst = 0;
    std::uint16_t colorMapLength = 0;  // M
    std::uint8_t colorMapEntrySize = 0;
    std::uint16_t xOrigin = 0;
    std::uint16_t yOrigin = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t pixelDepth = 0;
    std::uint8_t descriptor = 0;  // bit 0x20: the first stored row is the top row
    void Serialize(ByteArchive& ar);
};

// What a Targa file holds, in memory order.
struct TgaContent {
    TgaHeader header;
    std::vector<std::uint8_t> imageId;    // idLength bytes, kept for saving
    std::vector<std::uint16_t> pixels16;  // depth 16: memory row H-1-k is stored row k
    std::vector<std::uint8_t> pixels8;    // depth 8: colour-map indices, rows in stored order
    std::vector<std::uint8_t> colorMap;   // 3 x M bytes blue, green, red
};

class CTGA : public CPicture {
public:
    CTGA() = default;
    // Built from an MTX picture of 8 or 16 bits per pixel.
    static std::shared_ptr<CTGA> FromMtx8(const MtxContent& mtx);
    static std::shared_ptr<CTGA> FromMtx16(const MtxContent& mtx);

    void Serialize(ByteArchive& ar) override;
    void Draw(DrawSurface& surface) override;
    std::optional<PixelInfo> PixelAt(int x, int y) const override;

    // Copies of the content as stored and of the 8-bit pixels as indices
    // into the distinct colour list.
    TgaContent Content() const;
    std::vector<std::uint8_t> DisplayPixels() const;

protected:
    bool Load(ByteArchive& ar) override;

private:
    void Store(ByteArchive& ar) const;
    void Adopt(TgaContent content, std::string description);
    void Prepare();  // with m_mutex held

    TgaContent m_content;
    ColorTable m_distinct{};                    // the colours the 8-bit pixels use
    std::vector<std::uint8_t> m_displayPixels;  // indices into m_distinct
};

// Reads the Targa format into `content`, refusing layouts the program does
// not read and sizes the file cannot hold before allocating. False with the
// reason left in the archive.
bool ReadTgaContent(ByteArchive& ar, TgaContent& content);
void WriteTgaContent(ByteArchive& ar, const TgaContent& content);

}  // namespace brelko
