// The block-Huffman LZ decoder for method-2 entries: LZ77 over a 4096-byte
// dictionary whose literals, match lengths and positions are coded with static
// Huffman codes sent block by block.
//
// The caller hands the same 4096-byte buffer to every Decode call of one entry:
// it is both the output chunk and the dictionary. All state is fixed-size; the
// decoder allocates nothing.
#pragma once

#include "archive/ArcFormat.h"
#include "archive/ArcSource.h"
#include "archive/ArcStatus.h"

#include <cstdint>

namespace brelko {

class CArcDecoder {
public:
    // Starts one entry: budget is its stored size; every stored byte that the
    // decoder takes goes into *crc (running form), when crc is not null.
    void Start(CArcSource* source, std::uint32_t budget, std::uint32_t* crc);

    // Produces exactly count bytes (1 to 4096) into buffer, which must hold 4096
    // bytes and be the same for every chunk of the entry. Every chunk but the
    // last must be 4096 bytes long. kArcCorruptData refuses the stream for good.
    ArcStatus Decode(int count, std::uint8_t* buffer);

    // Stored bytes taken from the source so far (for tests and diagnostics).
    std::uint32_t BytesTaken() const { return m_nTaken; }

private:
    void Refill();
    void Need(int bits)
    {
        if (m_nBitCount < bits)
            Refill();
    }
    unsigned Peek16() const { return static_cast<unsigned>(m_nBits >> 48); }
    void Take(int bits)
    {
        m_nBits <<= bits;
        m_nBitCount -= bits;
        m_nConsumed += static_cast<std::uint64_t>(bits);
    }
    unsigned GetBits(int bits);  // bits <= 16; 0 gives 0

    bool ReadBlockHeader();
    bool ReadShortLengths(int symbols, int countBits, int specialIndex);
    bool ReadLiteralLengths();
    bool BuildTable(int symbols, const std::uint8_t* lengths, int tableBits, std::uint16_t* table,
                    int nodeLimit);
    int DecodeShort(int symbols);  // from the code-length or position code
    int DecodeLiteral();
    int DecodePosition();

    // Bit reader: the next bits of the stream, most significant first; its top
    // 16 bits are the window. Past the budget zero bits come in.
    std::uint64_t m_nBits = 0;
    int m_nBitCount = 0;
    std::uint32_t m_nBudget = 0;  // stored bytes not yet fetched from the source
    std::uint32_t m_nTaken = 0;
    std::uint64_t m_nConsumed = 0;  // bits taken, including zero bits past the stored size
    CArcSource* m_pSource = nullptr;
    std::uint32_t* m_pCrc = nullptr;
    std::uint8_t m_abInput[2048];
    int m_nInputPos = 0;
    int m_nInputEnd = 0;

    std::uint16_t m_nBlockLeft = 0;  // 16-bit on purpose: a block count of 0 means 65536
    int m_nMatchLeft = 0;
    int m_nMatchSource = 0;
    bool m_bCorrupt = false;

    std::uint8_t m_abLiteralLength[arc::kLiteralSymbols];
    std::uint16_t m_anLiteralTable[1 << arc::kLiteralTableBits];
    std::uint8_t m_abShortLength[arc::kLengthSymbols];  // code-length code, then position code
    std::uint16_t m_anShortTable[1 << arc::kShortTableBits];
    std::uint16_t m_anLeft[arc::kChildCount];
    std::uint16_t m_anRight[arc::kChildCount];
};

}  // namespace brelko
