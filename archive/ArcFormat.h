// Constants of the ".arq" container and of its block-Huffman LZ coding, shared
// by the reader, the decoder and the writer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brelko::arc {

// Container.
inline constexpr std::uint8_t kSignature[4] = {0x67, 0x57, 0x04, 0x01};
inline constexpr std::uint8_t kToolkitVersion = 0x12;  // 1.2: major high nibble, minor low nibble
inline constexpr int kMaxNameLength = 260;
inline constexpr std::size_t kFixedHeaderSize = 41;     // header bytes besides the name and the extra bytes
inline constexpr std::uint8_t kMethodStored = 1;
inline constexpr std::uint8_t kMethodCompressed = 2;
inline constexpr std::uint8_t kSystemKeepsCase = 3;

// Coding.
inline constexpr int kDictionaryBits = 12;
inline constexpr int kDictionarySize = 1 << kDictionaryBits;  // 4096, also the chunk size
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 256;
inline constexpr int kLiteralSymbols = 256 + kMaxMatch - kMinMatch + 1;  // 510
inline constexpr int kLengthSymbols = 19;    // the code-length code
inline constexpr int kPositionSymbols = kDictionaryBits + 1;  // 13 position classes
inline constexpr int kBlockCountBits = 16;
inline constexpr int kLengthCountBits = 5;
inline constexpr int kLiteralCountBits = 9;
inline constexpr int kPositionCountBits = 4;
inline constexpr int kLengthSpecialIndex = 3;
inline constexpr int kMaxCodeLength = 16;
inline constexpr int kLiteralTableBits = 12;
inline constexpr int kShortTableBits = 8;
inline constexpr int kChildCount = 2 * kLiteralSymbols - 1;  // 1019
inline constexpr int kMaxBlockSymbols = 0xFFFF;

}  // namespace brelko::arc
