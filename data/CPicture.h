// What the two picture kinds share: the lock that lets a reception load on
// its worker while the view draws, the prepared palette, the displayed size,
// the 8-bit-screen index cache, and the accessors over them.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "data/CData.h"
#include "data/PictureDrawing.h"
#include "data/PictureTypes.h"

namespace brelko {

// One pixel as the picture holds it: its index and colour (8 bits) or its
// 15-bit value and colour (16 bits).
struct PixelInfo {
    int bitsPerPixel = 0;
    int index = 0;            // 8 bits: the palette or colour-map index
    std::uint16_t value = 0;  // 16 bits: red in bits 10-14, green 5-9, blue 0-4
    RgbQuad color;
};

class CPicture : public CData {
public:
    // The pixel at column x, row y counted from the top as the picture shows;
    // nullopt outside the picture or while it is empty.
    virtual std::optional<PixelInfo> PixelAt(int x, int y) const = 0;

    std::string GetDescription() const override;
    // W x H after loading, the drawn size after each Draw; 200 x 100 while empty.
    PictureSize DisplayedSize() const;
    // The picture palette: the distinct colours of an 8-bit picture.
    LogicalPalette Palette() const;
    int ColorCount() const;

    // Loads the picture from a file by path; false with the reason in *error.
    bool LoadFile(const std::string& path, std::string* error = nullptr);

protected:
    // Reads and prepares the picture; false leaves it as it was.
    virtual bool Load(ByteArchive& ar) = 0;
    // Draws the picture and keeps the drawn size; the caller holds m_mutex.
    void DrawPrepared(DrawSurface& surface, const PictureImage& picture);
    // The palette of the distinct colours and a fresh start after a load;
    // the caller holds m_mutex.
    void SetPrepared(const std::vector<RgbQuad>& colors, int width, int height);

    mutable std::mutex m_mutex;
    LogicalPalette m_palette;
    int m_nColors = 0;
    std::vector<std::uint8_t> m_indexCache;
    int m_nDisplayWidth = 200;
    int m_nDisplayHeight = 100;
};

// The distinct colours of 8-bit pixels taken through a colour table, in order
// of first appearance (at most 256). When displayPixels is given, each pixel
// is replaced there by the position of its colour in the list.
std::vector<RgbQuad> CollectDistinctColors(const std::uint8_t* pixels, std::size_t count, const ColorTable& table,
                                           std::uint8_t* displayPixels = nullptr);
LogicalPalette MakePalette(const std::vector<RgbQuad>& colors);

}  // namespace brelko
