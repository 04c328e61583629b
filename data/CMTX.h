// An MTX picture: the vision system's screen picture format. 8 bits per pixel
// with a palette of RGB triples, or 16 bits per pixel with 15-bit values.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CData.h"
#include "MtxHeaders.h"
#include "PictureTypes.h"

namespace brelko {

class CTGA;

// The picture's part of the transfer context: what the reception worker reads.
struct PictureTransferContext : TransferContext {
    std::string command;
    bool extraByte = false;
};

class CMTX : public CData {
public:
    CMTX() = default;

    // Loads (and prepares) or stores the MTX format. A refused or truncated
    // file leaves the picture as it was and the reason in the archive.
    void Serialize(ByteArchive& ar) override;
    void Draw(DrawSurface& surface) override;
    std::string GetDescription() const override;
    // Sends the picture request and starts the reception worker.
    bool StartReceive(CDeviceLine& line, const TransferWindows& windows, std::string command,
                      bool extraByte) override;

    // The Targa picture built from this one (saving under a ".tga" name);
    // null while the picture is empty.
    std::shared_ptr<CTGA> ToTarga() const;

    // Displayed size: W x H after loading, the drawn size after each Draw.
    PictureSize DisplayedSize() const;
    // Copies of the content and of the prepared palette (tests, conversion).
    MtxContent Content() const;
    LogicalPalette Palette() const;
    int ColorCount() const;

    // Loads the picture from a file by path; false with the reason in *error.
    bool LoadFile(const std::string& path, std::string* error = nullptr);

private:
    bool Load(ByteArchive& ar);
    void Store(ByteArchive& ar) const;
    void Prepare();  // with m_mutex held

    mutable std::mutex m_mutex;  // the reception loads on its worker while the view may draw
    MtxContent m_content;
    LogicalPalette m_palette;
    ColorTable m_colorTable{};
    int m_nColors = 0;
    std::vector<std::uint8_t> m_indexCache;
    PictureTransferContext m_context;
    int m_nDisplayWidth = 200;
    int m_nDisplayHeight = 100;
};

// Reads the MTX format into `content`, refusing hostile headers before
// anything is allocated. False with the reason left in the archive.
bool ReadMtxContent(ByteArchive& ar, MtxContent& content);
void WriteMtxContent(ByteArchive& ar, const MtxContent& content);

// The distinct colours of 8-bit pixels taken through a colour table, in order
// of first appearance (at most 256). When displayPixels is given, each pixel
// is replaced there by the position of its colour in the list.
std::vector<RgbQuad> CollectDistinctColors(const std::uint8_t* pixels, std::size_t count, const ColorTable& table,
                                           std::uint8_t* displayPixels = nullptr);
LogicalPalette MakePalette(const std::vector<RgbQuad>& colors);

}  // namespace brelko
