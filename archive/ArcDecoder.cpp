#include "archive/ArcDecoder.h"

#include "archive/ArcCrc32.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace brelko {

using namespace arc;

void CArcDecoder::Start(CArcSource* source, std::uint32_t budget, std::uint32_t* crc)
{
    m_pSource = source;
    m_nBudget = source ? budget : 0;
    m_nTaken = 0;
    m_nConsumed = 0;
    m_pCrc = crc;
    m_nBits = 0;
    m_nBitCount = 0;
    m_nInputPos = m_nInputEnd = 0;
    m_nBlockLeft = 0;
    m_nMatchLeft = 0;
    m_nMatchSource = 0;
    m_bCorrupt = false;
    Refill();
}

void CArcDecoder::Refill()
{
    const std::uint32_t* table = ArcCrcTable();
    std::uint32_t crc = m_pCrc ? *m_pCrc : 0;
    while (m_nBitCount <= 56) {
        if (m_nInputPos == m_nInputEnd) {
            std::size_t n = 0;
            if (m_nBudget > 0) {
                n = m_pSource->Read(m_abInput, std::min<std::uint32_t>(m_nBudget, sizeof m_abInput));
                m_nBudget = n > 0 ? m_nBudget - static_cast<std::uint32_t>(n) : 0;
            }
            if (n == 0) {
                // Budget used up (or the file ended early): zero bits from here on.
                m_nBitCount = 64;
                break;
            }
            m_nInputPos = 0;
            m_nInputEnd = static_cast<int>(n);
        }
        std::uint8_t byte = m_abInput[m_nInputPos++];
        ++m_nTaken;
        crc = ArcCrcByte(table, crc, byte);
        m_nBits |= static_cast<std::uint64_t>(byte) << (56 - m_nBitCount);
        m_nBitCount += 8;
    }
    if (m_pCrc)
        *m_pCrc = crc;
}

unsigned CArcDecoder::GetBits(int bits)
{
    if (bits == 0)
        return 0;
    Need(16);
    unsigned value = Peek16() >> (16 - bits);
    Take(bits);
    return value;
}

bool CArcDecoder::BuildTable(int symbols, const std::uint8_t* lengths, int tableBits,
                             std::uint16_t* table, int nodeLimit)
{
    unsigned count[kMaxCodeLength + 1] = {};
    for (int i = 0; i < symbols; ++i) {
        if (lengths[i] > kMaxCodeLength)
            return false;
        ++count[lengths[i]];
    }
    // start[len]: first code of that length, left-aligned in 16 bits.
    std::uint32_t start[kMaxCodeLength + 2];
    start[1] = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len)
        start[len + 1] = start[len] + (count[len] << (kMaxCodeLength - len));
    if (start[kMaxCodeLength + 1] > (1u << kMaxCodeLength))
        return false;  // over-subscribed: the codes overflow the code space

    std::memset(table, 0, sizeof(std::uint16_t) << tableBits);
    const int jut = kMaxCodeLength - tableBits;
    int avail = symbols;
    for (int ch = 0; ch < symbols; ++ch) {
        const int len = lengths[ch];
        if (len == 0)
            continue;
        const std::uint32_t code = start[len];
        start[len] += 1u << (kMaxCodeLength - len);
        if (len <= tableBits) {
            const std::uint32_t first = code >> jut;
            const std::uint32_t last = first + (1u << (tableBits - len));
            for (std::uint32_t i = first; i < last; ++i)
                table[i] = static_cast<std::uint16_t>(ch);
            continue;
        }
        std::uint16_t* p = &table[code >> jut];
        for (int bit = tableBits; bit < len; ++bit) {
            if (*p == 0) {
                if (avail >= nodeLimit)
                    return false;  // tree reference beyond the child arrays
                m_anLeft[avail] = m_anRight[avail] = 0;
                *p = static_cast<std::uint16_t>(avail++);
            } else if (*p < symbols) {
                return false;  // a shorter code is a prefix of this one
            }
            p = (code & (0x8000u >> bit)) ? &m_anRight[*p] : &m_anLeft[*p];
        }
        if (*p != 0)
            return false;
        *p = static_cast<std::uint16_t>(ch);
    }
    return true;
}

bool CArcDecoder::ReadShortLengths(int symbols, int countBits, int specialIndex)
{
    const int n = static_cast<int>(GetBits(countBits));
    if (n == 0) {
        const unsigned c = GetBits(countBits);
        if (c >= static_cast<unsigned>(symbols))
            return false;
        std::memset(m_abShortLength, 0, sizeof m_abShortLength);
        std::fill(std::begin(m_anShortTable), std::end(m_anShortTable), static_cast<std::uint16_t>(c));
        return true;
    }
    if (n > symbols)
        return false;
    int i = 0;
    while (i < n) {
        Need(16);
        const unsigned window = Peek16();
        int c = static_cast<int>(window >> 13);
        if (c == 7) {
            for (unsigned mask = 1u << 12; mask & window; mask >>= 1)
                ++c;
        }
        if (c > kMaxCodeLength)
            return false;
        Take(c < 7 ? 3 : c - 3);
        m_abShortLength[i++] = static_cast<std::uint8_t>(c);
        if (i == specialIndex) {
            for (unsigned k = GetBits(2); k > 0 && i < symbols; --k)
                m_abShortLength[i++] = 0;
        }
    }
    while (i < symbols)
        m_abShortLength[i++] = 0;
    // Stay clear of the literal tree's nodes, which live from 510 upward.
    return BuildTable(symbols, m_abShortLength, kShortTableBits, m_anShortTable, kLiteralSymbols);
}

int CArcDecoder::DecodeShort(int symbols)
{
    Need(16);
    const unsigned window = Peek16();
    int j = m_anShortTable[window >> (16 - kShortTableBits)];
    for (unsigned mask = 1u << (15 - kShortTableBits); j >= symbols; mask >>= 1) {
        if (mask == 0)
            return -1;
        j = (window & mask) ? m_anRight[j] : m_anLeft[j];
    }
    Take(m_abShortLength[j]);
    return j;
}

bool CArcDecoder::ReadLiteralLengths()
{
    const int n = static_cast<int>(GetBits(kLiteralCountBits));
    if (n == 0) {
        const unsigned c = GetBits(kLiteralCountBits);
        if (c >= static_cast<unsigned>(kLiteralSymbols))
            return false;
        std::memset(m_abLiteralLength, 0, sizeof m_abLiteralLength);
        std::fill(std::begin(m_anLiteralTable), std::end(m_anLiteralTable), static_cast<std::uint16_t>(c));
        return true;
    }
    if (n > kLiteralSymbols)
        return false;
    int i = 0;
    while (i < n) {
        const int s = DecodeShort(kLengthSymbols);
        if (s < 0)
            return false;
        if (s <= 2) {
            const int zeros = s == 0 ? 1 : s == 1 ? static_cast<int>(GetBits(4)) + 3
                                                  : static_cast<int>(GetBits(kLiteralCountBits)) + 20;
            if (i + zeros > kLiteralSymbols)
                return false;
            std::memset(m_abLiteralLength + i, 0, static_cast<std::size_t>(zeros));
            i += zeros;
        } else {
            m_abLiteralLength[i++] = static_cast<std::uint8_t>(s - 2);
        }
    }
    if (i < kLiteralSymbols)
        std::memset(m_abLiteralLength + i, 0, static_cast<std::size_t>(kLiteralSymbols - i));
    return BuildTable(kLiteralSymbols, m_abLiteralLength, kLiteralTableBits, m_anLiteralTable, kChildCount);
}

bool CArcDecoder::ReadBlockHeader()
{
    m_nBlockLeft = static_cast<std::uint16_t>(GetBits(kBlockCountBits));
    return ReadShortLengths(kLengthSymbols, kLengthCountBits, kLengthSpecialIndex) && ReadLiteralLengths() &&
           ReadShortLengths(kPositionSymbols, kPositionCountBits, -1);
}

inline int CArcDecoder::DecodeLiteral()
{
    // The last code may run into the zero fill past the stored size, but a
    // stream that goes on past a whole window of zero bits is cut short: it is
    // refused rather than expanded from zeros up to any size a header claims.
    if (m_nConsumed > 8 * static_cast<std::uint64_t>(m_nTaken) + 16)
        return -1;
    if (m_nBlockLeft == 0 && !ReadBlockHeader())
        return -1;
    --m_nBlockLeft;
    Need(16);
    const unsigned window = Peek16();
    int j = m_anLiteralTable[window >> (16 - kLiteralTableBits)];
    if (j >= kLiteralSymbols) {
        unsigned mask = 1u << (15 - kLiteralTableBits);
        do {
            if (mask == 0)
                return -1;
            j = (window & mask) ? m_anRight[j] : m_anLeft[j];
            mask >>= 1;
        } while (j >= kLiteralSymbols);
    }
    Take(m_abLiteralLength[j]);
    return j;
}

inline int CArcDecoder::DecodePosition()
{
    const int k = DecodeShort(kPositionSymbols);
    if (k <= 0)
        return k;  // class 0 is position 0; -1 is corrupt
    return static_cast<int>((1u << (k - 1)) + GetBits(k - 1));
}

ArcStatus CArcDecoder::Decode(int count, std::uint8_t* buffer)
{
    if (m_bCorrupt || count <= 0 || count > kDictionarySize)
        return count == 0 && !m_bCorrupt ? kArcOk : kArcCorruptData;
    constexpr int kMask = kDictionarySize - 1;
    int r = 0;
    int left = m_nMatchLeft;
    int source = m_nMatchSource;
    for (;;) {
        if (left > 0) {
            // Copy the match; it may overlap the bytes being produced, which repeats a pattern.
            const int n = std::min(left, count - r);
            if (source + n <= kDictionarySize) {
                for (int i = 0; i < n; ++i)
                    buffer[r + i] = buffer[source + i];
                source = (source + n) & kMask;
            } else {
                for (int i = 0; i < n; ++i) {
                    buffer[r + i] = buffer[source];
                    source = (source + 1) & kMask;
                }
            }
            r += n;
            left -= n;
            if (r == count)
                break;
        }
        const int s = DecodeLiteral();
        if (s < 0) {
            m_bCorrupt = true;
            return kArcCorruptData;
        }
        if (s < 256) {
            buffer[r++] = static_cast<std::uint8_t>(s);
            if (r == count)
                break;
            continue;
        }
        left = s - (256 - kMinMatch);
        const int p = DecodePosition();
        if (p < 0) {
            m_bCorrupt = true;
            return kArcCorruptData;
        }
        source = (r - p - 1) & kMask;
    }
    m_nMatchLeft = left;
    m_nMatchSource = source;
    return kArcOk;
}

}  // namespace brelko
