#include "data/CTGA.h"

#include <algorithm>

#include "data/CMTX.h"
#include "data/Format.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

namespace brelko {

void TgaHeader::Serialize(ByteArchive& ar) {
    ArchiveField(ar, idLength);
    ArchiveField(ar, colorMapType);
    ArchiveField(ar, imageType);
    ArchiveField(ar, colorMapFirst);
    ArchiveField(ar, colorMapLength);
    ArchiveField(ar, colorMapEntrySize);
    ArchiveField(ar, xOrigin);
    ArchiveField(ar, yOrigin);
    ArchiveField(ar, width);
    ArchiveField(ar, height);
    ArchiveField(ar, pixelDepth);
    ArchiveField(ar, descriptor);
}

namespace {

bool Refuse(ByteArchive& ar, const std::string& reason) {
    ar.SetInvalid(reason);
    return false;
}

}  // namespace

bool ReadTgaContent(ByteArchive& ar, TgaContent& c) {
    c = TgaContent{};
    TgaHeader& h = c.header;
    h.Serialize(ar);
    if (!ar.Ok()) return false;
    const unsigned width = h.width, height = h.height;
    const std::uint64_t count = std::uint64_t(width) * height;
    if (count == 0) return Refuse(ar, FormatText("The Targa picture is %ux%u pixels: it has no pixels", width, height));
    if (h.imageType >= 9 && h.imageType <= 11)
        return Refuse(ar, "The Targa picture is run-length encoded; only uncompressed pictures can be read");

    std::uint64_t bodyBytes;
    if (h.pixelDepth == 16) {
        if (h.imageType != 2 || (h.colorMapType != 0 && h.colorMapLength != 0))
            return Refuse(ar, FormatText("A 16-bit Targa picture of image type %u with a colour map cannot be read",
                                         unsigned(h.imageType)));
        bodyBytes = 2 * count;
    } else if (h.pixelDepth == 8) {
        if (h.imageType != 1 || h.colorMapType != 1)
            return Refuse(ar, FormatText("An 8-bit Targa picture of image type %u without a colour map cannot be read",
                                         unsigned(h.imageType)));
        if (h.colorMapEntrySize != 24)
            return Refuse(ar, FormatText("Targa colour-map entries of %u bits cannot be read; only 24",
                                         unsigned(h.colorMapEntrySize)));
        if (h.colorMapLength > 256)
            return Refuse(ar, FormatText("The Targa colour map has %u entries; at most 256 can be read",
                                         unsigned(h.colorMapLength)));
        bodyBytes = 3ull * h.colorMapLength + count;
    } else {
        return Refuse(ar, FormatText("Targa pictures of %u bits per pixel cannot be read; only 8 and 16",
                                     unsigned(h.pixelDepth)));
    }
    // The header's size must agree with the file before anything is allocated.
    if (ar.Remaining() < h.idLength + bodyBytes)
        return Refuse(ar, FormatText("The file is too short for a %ux%u picture: it is truncated or damaged", width,
                                     height));

    c.imageId.resize(h.idLength);
    if (!ar.ReadExact(c.imageId.data(), c.imageId.size())) return false;
    if (h.pixelDepth == 16) {
        std::vector<std::uint8_t> bytes(2 * count);
        if (!ar.ReadExact(bytes.data(), bytes.size())) return false;
        c.pixels16.resize(count);
        // Stored row k becomes memory row H-1-k.
        for (unsigned k = 0; k < height; ++k) {
            const std::uint8_t* src = bytes.data() + std::size_t(k) * width * 2;
            std::uint16_t* dst = c.pixels16.data() + std::size_t(height - 1 - k) * width;
            for (unsigned x = 0; x < width; ++x) dst[x] = static_cast<std::uint16_t>(src[2 * x] | (src[2 * x + 1] << 8));
        }
        return true;
    }
    c.colorMap.resize(3u * h.colorMapLength);
    if (!ar.ReadExact(c.colorMap.data(), c.colorMap.size())) return false;
    c.pixels8.resize(count);
    return ar.ReadExact(c.pixels8.data(), c.pixels8.size());
}

void WriteTgaContent(ByteArchive& ar, const TgaContent& content) {
    TgaHeader h = content.header;
    h.idLength = static_cast<std::uint8_t>(content.imageId.size());
    h.Serialize(ar);
    ar.Write(content.imageId.data(), content.imageId.size());
    const std::size_t width = h.width, height = h.height;
    if (h.pixelDepth == 16) {
        // Memory rows from H-1 down to 0: the rows go back in the order they were read.
        std::vector<std::uint8_t> row(width * 2);
        for (std::size_t m = height; m-- > 0;) {
            const std::uint16_t* src = content.pixels16.data() + m * width;
            for (std::size_t x = 0; x < width; ++x) {
                row[2 * x] = static_cast<std::uint8_t>(src[x]);
                row[2 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
            }
            ar.Write(row.data(), row.size());
        }
        return;
    }
    ar.Write(content.colorMap.data(), content.colorMap.size());
    ar.Write(content.pixels8.data(), content.pixels8.size());
}

namespace {

// What a Targa made from an MTX picture is, in the user's language: "8 bit
// TGA picture 320x240" in English, "8 bit TGA billede 320x240" in Danish.
std::string ConvertedDescription(unsigned id, const TgaHeader& h) {
    return FormatArgs(LoadString(id), {std::to_string(h.pixelDepth), std::to_string(h.width), std::to_string(h.height)});
}

}  // namespace

std::shared_ptr<CTGA> CTGA::FromMtx8(const MtxContent& mtx) {
    TgaContent c;
    TgaHeader& h = c.header;
    h.colorMapType = 1;
    h.imageType = 1;
    // The colour map holds at most 256 entries; entries beyond the MTX
    // palette are black. Entries are written as three bytes, so their size is 24.
    const unsigned length = std::min<unsigned>(mtx.paletteBlock.entryCount & 0xFFFF, 256);
    h.colorMapLength = static_cast<std::uint16_t>(length);
    h.colorMapEntrySize = 24;
    h.width = mtx.image.width;
    h.height = mtx.image.height;
    h.pixelDepth = mtx.image.bitsPerPixel;
    h.descriptor = 0x21;
    c.colorMap.assign(3u * length, 0);
    for (unsigned i = 0; i < length && 3 * i + 2 < mtx.paletteTriples.size(); ++i) {
        c.colorMap[3 * i] = mtx.paletteTriples[3 * i + 2];
        c.colorMap[3 * i + 1] = mtx.paletteTriples[3 * i + 1];
        c.colorMap[3 * i + 2] = mtx.paletteTriples[3 * i];
    }
    c.pixels8 = mtx.pixels8;
    auto tga = std::make_shared<CTGA>();
    tga->Adopt(std::move(c), ConvertedDescription(IDS_TGA_FROM_MTX8, h));
    return tga;
}

std::shared_ptr<CTGA> CTGA::FromMtx16(const MtxContent& mtx) {
    TgaContent c;
    TgaHeader& h = c.header;
    h.imageType = 2;
    h.xOrigin = mtx.image.xOrigin;
    h.yOrigin = mtx.image.yOrigin;
    h.width = mtx.image.width;
    h.height = mtx.image.height;
    h.pixelDepth = mtx.image.bitsPerPixel;
    h.descriptor = 0;
    c.pixels16 = mtx.pixels16;
    auto tga = std::make_shared<CTGA>();
    tga->Adopt(std::move(c), ConvertedDescription(IDS_TARGA_FROM_MTX16, h));
    return tga;
}

void CTGA::Serialize(ByteArchive& ar) {
    if (ar.IsLoading())
        Load(ar);
    else
        Store(ar);
}

bool CTGA::Load(ByteArchive& ar) {
    TgaContent content;
    if (!ReadTgaContent(ar, content)) return false;
    const TgaHeader& h = content.header;
    Adopt(std::move(content), FormatText("%d bit TGA %dx%d", int(h.pixelDepth), int(h.width), int(h.height)));
    return true;
}

void CTGA::Adopt(TgaContent content, std::string description) {
    std::lock_guard lock(m_mutex);
    m_content = std::move(content);
    m_strDescription = std::move(description);
    Prepare();
}

void CTGA::Store(ByteArchive& ar) const {
    std::lock_guard lock(m_mutex);
    if (!m_bValid) {
        ar.SetInvalid("There is no picture to save");
        return;
    }
    WriteTgaContent(ar, m_content);
}

void CTGA::Prepare() {
    m_distinct = ColorTable{};
    m_displayPixels.clear();
    std::vector<RgbQuad> colors;
    if (m_content.header.pixelDepth != 16) {
        ColorTable table{};  // entries beyond the colour map stay black
        const auto& map = m_content.colorMap;
        for (std::size_t i = 0; i < 256 && 3 * i + 2 < map.size(); ++i)
            table[i] = RgbQuad{map[3 * i], map[3 * i + 1], map[3 * i + 2], 0};
        m_displayPixels.resize(m_content.pixels8.size());
        colors = CollectDistinctColors(m_content.pixels8.data(), m_content.pixels8.size(), table, m_displayPixels.data());
        std::copy(colors.begin(), colors.end(), m_distinct.begin());
    }
    SetPrepared(colors, m_content.header.width, m_content.header.height);
}

void CTGA::Draw(DrawSurface& surface) {
    std::lock_guard lock(m_mutex);
    if (!m_bValid) return;
    const TgaHeader& h = m_content.header;
    const bool sixteen = h.pixelDepth == 16;
    const bool topFirst = (h.descriptor & 0x20) != 0;
    PictureImage picture;
    picture.width = h.width;
    picture.height = h.height;
    picture.bitsPerPixel = sixteen ? 16 : 8;
    picture.pixels8 = m_displayPixels.data();
    picture.colorTable = m_distinct.data();
    picture.pixels16 = m_content.pixels16.data();
    picture.palette = sixteen ? nullptr : &m_palette;
    // Memory rows run bottom-up for a 16-bit top-first file (its rows were
    // reversed on loading) and for an 8-bit bottom-first file.
    picture.flipVertical = sixteen ? topFirst : !topFirst;
    picture.naturalNum = 3;
    picture.naturalDen = 4;
    DrawPrepared(surface, picture);
}

std::optional<PixelInfo> CTGA::PixelAt(int x, int y) const {
    std::lock_guard lock(m_mutex);
    const TgaHeader& h = m_content.header;
    if (!m_bValid || x < 0 || y < 0 || x >= h.width || y >= h.height) return std::nullopt;
    const bool sixteen = h.pixelDepth == 16;
    const bool topFirst = (h.descriptor & 0x20) != 0;
    // The same row order as the drawing uses.
    const bool bottomUp = sixteen ? topFirst : !topFirst;
    const std::size_t row = bottomUp ? std::size_t(h.height - 1 - y) : std::size_t(y);
    const std::size_t at = row * std::size_t(h.width) + std::size_t(x);
    PixelInfo info;
    info.bitsPerPixel = sixteen ? 16 : 8;
    if (sixteen) {
        if (at >= m_content.pixels16.size()) return std::nullopt;
        info.value = static_cast<std::uint16_t>(m_content.pixels16[at] & 0x7FFF);
        info.color = ColorOf15(info.value);
    } else {
        if (at >= m_content.pixels8.size()) return std::nullopt;
        info.index = m_content.pixels8[at];
        const std::size_t entry = std::size_t(info.index) * 3;
        if (entry + 2 < m_content.colorMap.size())
            info.color = RgbQuad{m_content.colorMap[entry], m_content.colorMap[entry + 1], m_content.colorMap[entry + 2], 0};
    }
    return info;
}

TgaContent CTGA::Content() const {
    std::lock_guard lock(m_mutex);
    return m_content;
}

std::vector<std::uint8_t> CTGA::DisplayPixels() const {
    std::lock_guard lock(m_mutex);
    return m_displayPixels;
}

}  // namespace brelko
