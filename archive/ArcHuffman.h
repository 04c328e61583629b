// Huffman code construction for the writer: code lengths limited to 16 bits
// and canonical codes in the order the decoder assigns them.
#pragma once

#include <cstdint>

namespace brelko::arc {

// Fills lengths[0..symbols) from the frequencies: 0 for unused symbols, the
// others at most maxLength. Returns how many symbols are used. A single used
// symbol gets length 0 as well (the block format sends it without bits).
int BuildCodeLengths(const std::uint32_t* freq, int symbols, int maxLength, std::uint8_t* lengths);

// Canonical codes: shorter codes first, within one length in symbol order.
void BuildCanonicalCodes(const std::uint8_t* lengths, int symbols, std::uint16_t* codes);

}  // namespace brelko::arc
