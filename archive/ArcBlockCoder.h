// The writer's side of the block format: turns a list of LZ symbols into
// blocks with their own static Huffman codes, choosing where blocks end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brelko::arc {

// One LZ symbol: code < 256 is a literal byte, 256 and up a match of length
// code - 253 whose position (distance - 1) is in position.
struct LzSymbol {
    std::uint16_t code;
    std::uint16_t position;
};

inline int PositionClass(unsigned position)
{
    return position == 0 ? 0 : 32 - __builtin_clz(position);
}

// Where the blocks end (symbol indices, the last is symbols.size()). With
// split, boundaries are chosen to make the output small; without, every block
// holds the largest count.
std::vector<std::size_t> ChooseBlocks(const std::vector<LzSymbol>& symbols, bool split);

// Writes the symbols as blocks ending at ends.
std::vector<std::uint8_t> WriteBlocks(const std::vector<LzSymbol>& symbols, const std::vector<std::size_t>& ends);

inline std::vector<std::uint8_t> WriteBlocks(const std::vector<LzSymbol>& symbols, bool split)
{
    return WriteBlocks(symbols, ChooseBlocks(symbols, split));
}

}  // namespace brelko::arc
