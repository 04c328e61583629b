// Built without Qt: PNG files are refused with a clear reason.
#include "CliText.h"
#include "RgbImage.h"

namespace brelko::cli {

bool PngSupported() { return false; }

bool EncodePng(const RgbImage&, std::vector<std::uint8_t>*, std::string* error) {
    if (error) *error = CliText(Text::NoPngSupport);
    return false;
}

bool DecodePng(const std::vector<std::uint8_t>&, RgbImage*, std::string* error) {
    if (error) *error = CliText(Text::NoPngSupport);
    return false;
}

}  // namespace brelko::cli
