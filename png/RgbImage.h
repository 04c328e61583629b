// A picture as plain colours, rows top to bottom: what PNG files hold and
// what the picture formats are converted through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brelko {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, width x height

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// PNG through Qt's image classes; false with a reason (also when the program
// was built without Qt).
bool EncodePng(const RgbImage& image, std::vector<std::uint8_t>* bytes, std::string* error);
bool DecodePng(const std::vector<std::uint8_t>& bytes, RgbImage* image, std::string* error);
bool PngSupported();
// Why a build without PNG refuses PNG files.
std::string NoPngSupportText();

}  // namespace brelko
