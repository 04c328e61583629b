// Any bytes as a compressed stream: the decoder must stay inside its tables
// and its buffer, and produce exactly the asked size or refuse the stream.
#include "archive/ArcDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes choose the original size (up to 64 KiB), the rest is the stream.
    const std::size_t original = (data[0] | (data[1] << 8)) + 1;
    static brelko::CArcDecoder decoder;
    static std::uint8_t buffer[4096];
    brelko::CArcMemorySource source(data + 2, size - 2);
    std::uint32_t crc = 0xFFFFFFFF;
    decoder.Start(&source, static_cast<std::uint32_t>(size - 2), &crc);
    std::size_t done = 0;
    while (done < original) {
        const int n = static_cast<int>(original - done < 4096 ? original - done : 4096);
        if (decoder.Decode(n, buffer) != brelko::kArcOk)
            break;
        done += static_cast<std::size_t>(n);
    }
    if (decoder.BytesTaken() > size - 2)
        std::abort();
    return 0;
}
