#include "data/PictureFiles.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "platform/AtomicFile.h"
#include "platform/FileUtil.h"
#include "platform/ByteArchive.h"
#include "data/CDataDoc.h"
#include "data/CMTX.h"
#include "data/CTGA.h"
#include "data/SoftwareSurface.h"
#include "platform/Strings.h"

namespace brelko {

namespace {

std::string LowerSuffix(const std::string& path) {
    if (path.size() < 3) return {};
    std::string tail = path.substr(path.size() - 3);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail;
}

// Loads a picture through the data document, which picks the class by name.
template <typename T>
std::shared_ptr<T> LoadData(const std::string& path, std::string* error) {
    std::string why;
    auto archive = ByteArchive::OpenFile(path, ByteArchive::Mode::Load, &why);
    if (!archive) {
        if (error) *error = why;
        return nullptr;
    }
    CDataDoc doc;
    doc.Serialize(*archive);
    auto data = std::dynamic_pointer_cast<T>(doc.m_pData);
    if (!archive->Ok() || !data || !data->m_bValid) {
        if (error) *error = archive->Ok() ? Bilingual("not a picture", "ikke et billede") : archive->ErrorText();
        return nullptr;
    }
    return data;
}

// Stores through the data document into memory: under a ".tga" name an MTX
// picture becomes a Targa picture on the way, as saving does in the GUI.
bool StoreData(std::shared_ptr<CData> data, const std::string& path, std::vector<std::uint8_t>* bytes,
               std::string* error) {
    CDataDoc doc;
    doc.m_pData = std::move(data);
    auto archive = ByteArchive::ToMemory(path);
    doc.Serialize(*archive);
    if (!archive->Ok()) {
        if (error) *error = archive->ErrorText();
        return false;
    }
    *bytes = archive->Bytes();
    return true;
}

std::shared_ptr<CMTX> MtxFromContent(const MtxContent& content, std::string* error) {
    auto archive = ByteArchive::ToMemory("picture.mtx");
    WriteMtxContent(*archive, content);
    auto loading = ByteArchive::FromBytes(archive->Bytes(), "picture.mtx");
    auto mtx = std::make_shared<CMTX>();
    mtx->Serialize(*loading);
    if (!loading->Ok() || !mtx->m_bValid) {
        if (error) *error = loading->ErrorText();
        return nullptr;
    }
    return mtx;
}

std::uint32_t Rgb(const RgbQuad& q) {
    return (std::uint32_t{q.red} << 16) | (std::uint32_t{q.green} << 8) | q.blue;
}

void PutBlockHeader(MtxBlockHeader& block, int bytesPerEntry, std::uint32_t entries) {
    block.reserved0 = 1;  // block kind, as the vision system writes it
    block.bytesPerEntry = static_cast<std::uint8_t>(bytesPerEntry);
    block.entryCount = entries;
    block.reserved7 = entries * static_cast<std::uint32_t>(bytesPerEntry);  // block size
}

}  // namespace

PictureKind PictureKindOf(const std::string& path) {
    const std::string tail = LowerSuffix(path);
    const auto dot = path.size() >= 4 ? path[path.size() - 4] : '\0';
    if (dot != '.') return PictureKind::Unknown;
    if (tail == "mtx") return PictureKind::Mtx;
    if (tail == "tga") return PictureKind::Tga;
    if (tail == "png") return PictureKind::Png;
    return PictureKind::Unknown;
}

// Offers .png only where this build can read and write it.
static std::string UnknownKind(const std::string& path) {
    if (PngSupported())
        return FormatArgs(Bilingual("%1: unknown file type (use .mtx, .tga or .png)",
                                    "%1: ukendt filtype (brug .mtx, .tga eller .png)"),
                          {path});
    return FormatArgs(LoadString(IDS_UNKNOWN_PICTURE_KIND), {path});
}

bool PictureNameUsable(const std::string& path, std::string* error) {
    const PictureKind kind = PictureKindOf(path);
    if (kind == PictureKind::Unknown) {
        if (error) *error = UnknownKind(path);
        return false;
    }
    if (kind == PictureKind::Png && !PngSupported()) {
        if (error) *error = NoPngSupportText();
        return false;
    }
    return true;
}

bool LoadPicture(const std::string& path, Picture* picture, std::string* error) {
    *picture = {};
    switch (PictureKindOf(path)) {
    case PictureKind::Mtx:
        picture->mtx = LoadData<CMTX>(path, error);
        return picture->mtx != nullptr;
    case PictureKind::Tga:
        picture->tga = LoadData<CTGA>(path, error);
        return picture->tga != nullptr;
    case PictureKind::Png: {
        std::vector<std::uint8_t> bytes;
        auto image = std::make_shared<RgbImage>();
        if (!fileutil::ReadWholeFile(path, &bytes, error) || !DecodePng(bytes, image.get(), error)) return false;
        picture->rgb = image;
        return true;
    }
    case PictureKind::Unknown:
        break;
    }
    if (error) *error = UnknownKind(path);
    return false;
}

RgbImage RenderPicture(const Picture& picture) {
    if (picture.rgb) return *picture.rgb;
    CData* data = picture.mtx ? static_cast<CData*>(picture.mtx.get()) : picture.tga.get();
    if (!data) return {};
    const PictureSize size = picture.mtx ? picture.mtx->DisplayedSize() : picture.tga->DisplayedSize();
    // Drawn at 1:1 on a 32-bit screen the size of the picture.
    data->m_nZoom = 0;
    data->m_bNaturalScale = 0;
    data->m_bFitToWindow = 0;
    SoftwareSurface surface(32, size.width, size.height);
    data->Draw(surface);
    RgbImage image;
    image.width = size.width;
    image.height = size.height;
    image.pixels.resize(static_cast<std::size_t>(size.width) * size.height);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x)
            image.pixels[static_cast<std::size_t>(y) * size.width + x] = Rgb(surface.ColorAt(x, y));
    return image;
}

MtxContent MtxFromRgb(const RgbImage& image) {
    MtxContent c;
    const auto count = static_cast<std::uint32_t>(image.pixels.size());
    std::unordered_map<std::uint32_t, std::uint8_t> index;
    std::vector<std::uint32_t> palette;
    for (std::uint32_t rgb : image.pixels) {
        if (index.count(rgb)) continue;
        if (palette.size() == 256) {
            palette.clear();
            break;
        }
        index.emplace(rgb, static_cast<std::uint8_t>(palette.size()));
        palette.push_back(rgb);
    }
    const bool eightBit = !palette.empty() || image.pixels.empty();
    const int bits = eightBit ? 8 : 16;

    // Headers as the vision system writes them: tag "MX", version 1.
    c.file.reserved0 = 0x584D;
    c.file.reserved2 = 1;
    c.file.reserved3 = 14 + 28;
    c.file.reserved6 = count * static_cast<std::uint32_t>(bits / 8);
    c.image.reserved0 = 1;
    c.image.width = static_cast<std::uint16_t>(image.width);
    c.image.height = static_cast<std::uint16_t>(image.height);
    c.image.bitsPerPixel = static_cast<std::uint8_t>(bits);
    if (eightBit) {
        c.paletteHeader.reserved0 = 1;
        c.paletteHeader.entryCount = static_cast<std::uint16_t>(palette.size());
        c.paletteHeader.reserved5 = 24;
        PutBlockHeader(c.paletteBlock, 3, static_cast<std::uint32_t>(palette.size()));
        for (std::uint32_t rgb : palette) {
            c.paletteTriples.push_back(static_cast<std::uint8_t>(rgb >> 16));
            c.paletteTriples.push_back(static_cast<std::uint8_t>(rgb >> 8));
            c.paletteTriples.push_back(static_cast<std::uint8_t>(rgb));
        }
        PutBlockHeader(c.pixelBlock, 1, count);
        c.pixels8.reserve(count);
        for (std::uint32_t rgb : image.pixels) c.pixels8.push_back(index[rgb]);
    } else {
        PutBlockHeader(c.pixelBlock, 2, count);
        c.pixels16.reserve(count);
        for (std::uint32_t rgb : image.pixels) {
            const unsigned r = (rgb >> 19) & 31, g = (rgb >> 11) & 31, b = (rgb >> 3) & 31;
            c.pixels16.push_back(static_cast<std::uint16_t>((r << 10) | (g << 5) | b));
        }
    }
    return c;
}

bool SavePicture(const Picture& picture, const std::string& path, std::string* error) {
    std::vector<std::uint8_t> bytes;
    const PictureKind kind = PictureKindOf(path);
    switch (kind) {
    case PictureKind::Png:
        if (!EncodePng(RenderPicture(picture), &bytes, error)) return false;
        break;
    case PictureKind::Mtx:
    case PictureKind::Tga: {
        std::shared_ptr<CMTX> mtx = picture.mtx;
        if (!mtx && (picture.rgb || (picture.tga && kind == PictureKind::Mtx))) {
            const RgbImage image = RenderPicture(picture);
            if (image.width > 65535 || image.height > 65535) {
                if (error) *error = Bilingual("picture too large", "billedet er for stort");
                return false;
            }
            mtx = MtxFromContent(MtxFromRgb(image), error);
            if (!mtx) return false;
        }
        std::shared_ptr<CData> data = mtx ? std::static_pointer_cast<CData>(mtx) : picture.tga;
        if (!data || !StoreData(data, path, &bytes, error)) {
            if (error && error->empty()) *error = Bilingual("not a picture", "ikke et billede");
            return false;
        }
        break;
    }
    case PictureKind::Unknown:
        if (error) *error = UnknownKind(path);
        return false;
    }
    return WriteFileAtomically(path, bytes, error);
}

}  // namespace brelko
