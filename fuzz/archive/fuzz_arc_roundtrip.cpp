// Any bytes through the encoder and back through the decoder must come out
// the same; the first byte picks the encoder's settings.
#include "archive/ArcDecoder.h"
#include "archive/ArcWriter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    brelko::ArcEncodeOptions options;
    options.optimalParse = (data[0] & 1) != 0;
    options.splitBlocks = (data[0] & 2) != 0;
    options.maxChain = 1 + (data[0] >> 2) * 8;
    ++data;
    --size;
    const std::vector<std::uint8_t> stream = brelko::ArcEncode(data, size, options);
    static brelko::CArcDecoder decoder;
    static std::uint8_t buffer[4096];
    std::memset(buffer, 0, sizeof buffer);
    brelko::CArcMemorySource source(stream.data(), stream.size());
    decoder.Start(&source, static_cast<std::uint32_t>(stream.size()), nullptr);
    for (std::size_t done = 0; done < size;) {
        const int n = static_cast<int>(size - done < 4096 ? size - done : 4096);
        if (decoder.Decode(n, buffer) != brelko::kArcOk || std::memcmp(buffer, data + done, static_cast<std::size_t>(n)) != 0)
            std::abort();
        done += static_cast<std::size_t>(n);
    }
    return 0;
}
