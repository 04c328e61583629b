// PNG through QImage. QImage's PNG reader and writer are part of the Gui
// module itself and need neither a display nor an application object.
#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "platform/Strings.h"
#include "png/RgbImage.h"

namespace brelko {

bool PngSupported() { return true; }

bool EncodePng(const RgbImage& image, std::vector<std::uint8_t>* bytes, std::string* error) {
    if (image.width <= 0 || image.height <= 0) {
        if (error) *error = Bilingual("empty picture", "tomt billede");
        return false;
    }
    QImage qimage(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(qimage.scanLine(y));
        for (int x = 0; x < image.width; ++x) line[x] = 0xFF000000u | image.At(x, y);
    }
    // Pictures of a few colours compress far better as a palette PNG.
    QImage toSave = qimage;
    QImage indexed = qimage.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    if (indexed.colorCount() > 0 && indexed.colorCount() <= 256 &&
        indexed.convertToFormat(QImage::Format_RGB32) == qimage)
        toSave = indexed;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!toSave.save(&buffer, "PNG")) {
        if (error) *error = Bilingual("the PNG writer failed", "PNG-skrivningen fejlede");
        return false;
    }
    bytes->assign(data.begin(), data.end());
    return true;
}

bool DecodePng(const std::vector<std::uint8_t>& bytes, RgbImage* image, std::string* error) {
    QImage qimage;
    if (!qimage.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "PNG")) {
        if (error) *error = Bilingual("not a PNG picture, or damaged", "ikke et PNG-billede, eller beskadiget");
        return false;
    }
    if (qimage.width() > 65535 || qimage.height() > 65535) {
        if (error) *error = Bilingual("picture too large", "billedet er for stort");
        return false;
    }
    qimage = qimage.convertToFormat(QImage::Format_RGB32);
    image->width = qimage.width();
    image->height = qimage.height();
    image->pixels.resize(static_cast<std::size_t>(image->width) * image->height);
    for (int y = 0; y < image->height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(qimage.constScanLine(y));
        for (int x = 0; x < image->width; ++x)
            image->pixels[static_cast<std::size_t>(y) * image->width + x] = line[x] & 0xFFFFFFu;
    }
    return true;
}

}  // namespace brelko
