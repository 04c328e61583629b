#include "data/CPicture.h"

#include <algorithm>

namespace brelko {

std::vector<RgbQuad> CollectDistinctColors(const std::uint8_t* pixels, std::size_t count, const ColorTable& table,
                                           std::uint8_t* displayPixels) {
    std::vector<RgbQuad> colors;
    colors.reserve(256);
    // A colour's position depends only on the pixel value, so each of the 256
    // values is looked up in the list once; the order stays that of first appearance.
    int position[256];
    std::fill(std::begin(position), std::end(position), -1);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t v = pixels[i];
        if (position[v] < 0) {
            const RgbQuad& color = table[v];
            auto found = std::find_if(colors.begin(), colors.end(),
                                      [&](const RgbQuad& c) { return SameColor(c, color); });
            if (found == colors.end()) {
                colors.push_back(RgbQuad{color.blue, color.green, color.red, 0});
                found = colors.end() - 1;
            }
            position[v] = static_cast<int>(found - colors.begin());
        }
        if (displayPixels) displayPixels[i] = static_cast<std::uint8_t>(position[v]);
    }
    return colors;
}

LogicalPalette MakePalette(const std::vector<RgbQuad>& colors) {
    LogicalPalette palette;
    palette.entries.reserve(colors.size());
    for (const RgbQuad& c : colors) palette.entries.push_back({c.red, c.green, c.blue, 0});
    return palette;
}

std::string CPicture::GetDescription() const {
    std::lock_guard lock(m_mutex);
    return m_strDescription;
}

PictureSize CPicture::DisplayedSize() const {
    std::lock_guard lock(m_mutex);
    return {m_nDisplayWidth, m_nDisplayHeight};
}

LogicalPalette CPicture::Palette() const {
    std::lock_guard lock(m_mutex);
    return m_palette;
}

int CPicture::ColorCount() const {
    std::lock_guard lock(m_mutex);
    return m_nColors;
}

bool CPicture::LoadFile(const std::string& path, std::string* error) {
    std::string openError;
    auto ar = ByteArchive::OpenFile(path, ByteArchive::Mode::Load, &openError);
    if (!ar) {
        if (error) *error = openError;
        return false;
    }
    if (Load(*ar)) return true;
    if (error) *error = ar->ErrorText();
    return false;
}

void CPicture::DrawPrepared(DrawSurface& surface, const PictureImage& picture) {
    const PictureSize size = DrawPicture(surface, picture, *this, m_indexCache);
    m_nDisplayWidth = size.width;
    m_nDisplayHeight = size.height;
}

void CPicture::SetPrepared(const std::vector<RgbQuad>& colors, int width, int height) {
    m_palette = MakePalette(colors);
    m_nColors = static_cast<int>(colors.size());
    m_indexCache.clear();
    m_nDisplayWidth = width;
    m_nDisplayHeight = height;
    m_bValid = 1;
}

}  // namespace brelko
