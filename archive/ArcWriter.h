// Writing ".arq" archives: the block-Huffman LZ encoder and the container
// writer. The vision system (and its simulator) packs screen pictures this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brelko {

// Compresses bytes into the block format that the decoder reads (method 2).
// The stream never refers back before its own first byte.
std::vector<std::uint8_t> ArcEncode(const std::uint8_t* data, std::size_t size);

struct ArcEncodeOptions {
    bool optimalParse = true;  // cost-based parse; false: lazy matching only
    bool splitBlocks = true;   // choose block boundaries by their cost; false: blocks of the largest size
    int maxChain = 512;        // hash-chain candidates tried per position
};
std::vector<std::uint8_t> ArcEncode(const std::uint8_t* data, std::size_t size, const ArcEncodeOptions& options);

struct ArcWriteEntry {
    std::string name;                 // as stored: directories separated by '/'
    std::vector<std::uint8_t> data;   // the original bytes
    int method = 2;                   // 1 stored, 2 compressed
    std::uint32_t timeStamp = 0;      // seconds since 1970
    std::uint16_t mode = 0100644;     // st_mode of the source file
    std::uint8_t systemByte = 3;      // 3: names keep their letter case
};

// A whole archive: every entry with its header, then the end marker.
std::vector<std::uint8_t> ArcBuildArchive(const std::vector<ArcWriteEntry>& entries);

}  // namespace brelko
