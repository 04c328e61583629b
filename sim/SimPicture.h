// The system's own screen picture, written in the MTX format it sends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brelko {

// An operator screen of width x height pixels: title bar, camera view with a
// part and its measuring tools, counters, status bar. `bits` is 8 (palette)
// or 16 (5-5-5). `title` is shown in the title bar.
std::vector<std::uint8_t> MakeScreenPicture(int bits, int width, int height,
                                            const std::string& title);

}  // namespace brelko
