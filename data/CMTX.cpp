#include "data/CMTX.h"

#include "data/CTGA.h"
#include "data/Format.h"

namespace brelko {
namespace {

// 16-bit values travel as little-endian byte pairs.
bool ReadValues16(ByteArchive& ar, std::vector<std::uint16_t>& values, std::size_t count) {
    std::vector<std::uint8_t> bytes(count * 2);
    if (!ar.ReadExact(bytes.data(), bytes.size())) return false;
    values.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        values[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return true;
}

void WriteValues16(ByteArchive& ar, const std::uint16_t* values, std::size_t count) {
    std::vector<std::uint8_t> bytes(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(values[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(values[i] >> 8);
    }
    ar.Write(bytes.data(), bytes.size());
}

bool RefuseShortFile(ByteArchive& ar, unsigned width, unsigned height) {
    ar.SetInvalid(FormatText("The file is too short for a %ux%u picture: it is truncated or damaged", width, height));
    return false;
}

}  // namespace

bool ReadMtxContent(ByteArchive& ar, MtxContent& c) {
    c = MtxContent{};
    c.file.Serialize(ar);
    c.image.Serialize(ar);
    if (!ar.Ok()) return false;
    const unsigned bits = c.image.bitsPerPixel;
    if (bits != 8 && bits != 16) {
        ar.SetInvalid(FormatText("The MTX picture has %u bits per pixel; only 8 and 16 can be read", bits));
        return false;
    }
    const unsigned width = c.image.width, height = c.image.height;
    const std::uint64_t count = std::uint64_t(width) * height;
    if (count == 0) {
        ar.SetInvalid(FormatText("The MTX picture is %ux%u pixels: it has no pixels", width, height));
        return false;
    }
    // The header's size must agree with the file before anything is allocated.
    if (bits == 8) {
        c.paletteHeader.Serialize(ar);
        c.paletteBlock.Serialize(ar);
        if (!ar.Ok()) return false;
        const std::uint64_t paletteBytes = 3ull * c.paletteHeader.entryCount;
        if (ar.Remaining() < paletteBytes + MtxBlockHeader::kSize + count) return RefuseShortFile(ar, width, height);
        c.paletteTriples.resize(paletteBytes);
        if (!ar.ReadExact(c.paletteTriples.data(), c.paletteTriples.size())) return false;
        c.pixelBlock.Serialize(ar);
        c.pixels8.resize(count);
        return ar.ReadExact(c.pixels8.data(), c.pixels8.size());
    }
    c.pixelBlock.Serialize(ar);
    if (!ar.Ok()) return false;
    if (ar.Remaining() < 2 * count) return RefuseShortFile(ar, width, height);
    return ReadValues16(ar, c.pixels16, count);
}

void WriteMtxContent(ByteArchive& ar, const MtxContent& content) {
    MtxContent c = content;  // the records serialize through non-const references
    c.file.Serialize(ar);
    c.image.Serialize(ar);
    if (c.image.bitsPerPixel == 8) {
        c.paletteHeader.Serialize(ar);
        c.paletteBlock.Serialize(ar);
        ar.Write(c.paletteTriples.data(), c.paletteTriples.size());
        c.pixelBlock.Serialize(ar);
        ar.Write(c.pixels8.data(), c.pixels8.size());
    } else {
        c.pixelBlock.Serialize(ar);
        WriteValues16(ar, c.pixels16.data(), c.pixels16.size());
    }
}

void CMTX::Serialize(ByteArchive& ar) {
    if (ar.IsLoading())
        Load(ar);
    else
        Store(ar);
}

bool CMTX::Load(ByteArchive& ar) {
    MtxContent content;
    if (!ReadMtxContent(ar, content)) return false;
    std::lock_guard lock(m_mutex);
    m_content = std::move(content);
    const auto& image = m_content.image;
    m_strDescription = FormatText("%d bit MTX %dx%d", int(image.bitsPerPixel), int(image.width), int(image.height));
    Prepare();
    return true;
}

void CMTX::Store(ByteArchive& ar) const {
    std::lock_guard lock(m_mutex);
    if (!m_bValid) {
        ar.SetInvalid("There is no picture to save");
        return;
    }
    WriteMtxContent(ar, m_content);
}

void CMTX::Prepare() {
    m_colorTable = ColorTable{};
    std::vector<RgbQuad> colors;
    if (m_content.image.bitsPerPixel == 8) {
        // Entries beyond the stored palette stay black.
        const auto& triples = m_content.paletteTriples;
        for (std::size_t i = 0; i < 256 && 3 * i + 2 < triples.size(); ++i)
            m_colorTable[i] = RgbQuad{triples[3 * i + 2], triples[3 * i + 1], triples[3 * i], 0};
        colors = CollectDistinctColors(m_content.pixels8.data(), m_content.pixels8.size(), m_colorTable);
    }
    SetPrepared(colors, m_content.image.width, m_content.image.height);
}

void CMTX::Draw(DrawSurface& surface) {
    std::lock_guard lock(m_mutex);
    if (!m_bValid) return;
    const auto& image = m_content.image;
    const bool eightBit = image.bitsPerPixel == 8;
    PictureImage picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.bitsPerPixel = image.bitsPerPixel;
    picture.pixels8 = m_content.pixels8.data();
    picture.colorTable = m_colorTable.data();
    picture.pixels16 = m_content.pixels16.data();
    picture.palette = eightBit ? &m_palette : nullptr;
    picture.flipVertical = image.bottomUp != 0;
    picture.naturalNum = 2;
    picture.naturalDen = 3;
    DrawPrepared(surface, picture);
}

std::optional<PixelInfo> CMTX::PixelAt(int x, int y) const {
    std::lock_guard lock(m_mutex);
    const auto& image = m_content.image;
    if (!m_bValid || x < 0 || y < 0 || x >= image.width || y >= image.height) return std::nullopt;
    // Bottom-up pictures keep their last shown row first.
    const std::size_t row = image.bottomUp ? std::size_t(image.height - 1 - y) : std::size_t(y);
    const std::size_t at = row * std::size_t(image.width) + std::size_t(x);
    PixelInfo info;
    info.bitsPerPixel = image.bitsPerPixel;
    if (image.bitsPerPixel == 8) {
        if (at >= m_content.pixels8.size()) return std::nullopt;
        info.index = m_content.pixels8[at];
        info.color = m_colorTable[static_cast<std::size_t>(info.index)];
    } else {
        if (at >= m_content.pixels16.size()) return std::nullopt;
        info.value = static_cast<std::uint16_t>(m_content.pixels16[at] & 0x7FFF);
        info.color = ColorOf15(info.value);
    }
    return info;
}

std::shared_ptr<CTGA> CMTX::ToTarga() const {
    std::lock_guard lock(m_mutex);
    if (!m_bValid) return nullptr;
    return m_content.image.bitsPerPixel == 8 ? CTGA::FromMtx8(m_content) : CTGA::FromMtx16(m_content);
}

MtxContent CMTX::Content() const {
    std::lock_guard lock(m_mutex);
    return m_content;
}

}  // namespace brelko
