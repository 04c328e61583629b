// Built without Qt: PNG files are refused with a clear reason.
#include "png/RgbImage.h"

namespace brelko {

bool PngSupported() { return false; }

bool EncodePng(const RgbImage&, std::vector<std::uint8_t>*, std::string* error) {
    if (error) *error = NoPngSupportText();
    return false;
}

bool DecodePng(const std::vector<std::uint8_t>&, RgbImage*, std::string* error) {
    if (error) *error = NoPngSupportText();
    return false;
}

}  // namespace brelko
