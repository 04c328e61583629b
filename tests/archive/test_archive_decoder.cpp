// The decoder on hand-made bit streams: the block format's corner cases and
// the refusals of corrupt data.
#include "archive/ArcBlockCoder.h"
#include "archive/ArcCrc32.h"
#include "archive/ArcDecoder.h"
#include "tests/archive/ArcTestData.h"
#include "archive/ArcWriter.h"

#include <gtest/gtest.h>

namespace brelko {
namespace {

using arctest::Bytes;

// Most significant bit first, as the decoder reads.
class Bits {
public:
    Bits& Put(int n, unsigned v)
    {
        for (int i = n - 1; i >= 0; --i) {
            if (m_nUsed % 8 == 0)
                m_bytes.push_back(0);
            if ((v >> i) & 1)
                m_bytes.back() |= static_cast<std::uint8_t>(0x80 >> (m_nUsed % 8));
            ++m_nUsed;
        }
        return *this;
    }
    const Bytes& Data() const { return m_bytes; }

private:
    Bytes m_bytes;
    int m_nUsed = 0;
};

struct Decoded {
    Bytes out;
    ArcStatus status = kArcOk;
    std::uint32_t crc = 0;
    std::uint32_t taken = 0;
};

Decoded Decode(const Bytes& stream, std::size_t size, std::uint8_t* buffer = nullptr)
{
    static std::uint8_t own[4096];
    if (!buffer) {
        buffer = own;
        std::fill(own, own + 4096, 0);
    }
    CArcDecoder decoder;
    CArcMemorySource source(stream.data(), stream.size());
    Decoded d;
    std::uint32_t crc = 0xFFFFFFFF;
    decoder.Start(&source, static_cast<std::uint32_t>(stream.size()), &crc);
    while (d.out.size() < size && d.status == kArcOk) {
        const int n = static_cast<int>(std::min<std::size_t>(4096, size - d.out.size()));
        d.status = decoder.Decode(n, buffer);
        if (d.status == kArcOk)
            d.out.insert(d.out.end(), buffer, buffer + n);
    }
    d.crc = ~crc;
    d.taken = decoder.BytesTaken();
    return d;
}

TEST(ArcDecoder, SingleSymbolBlockTakesNoBits)
{
    // Block of 5000 symbols; code-length code and literal code each a single symbol.
    Bits b;
    b.Put(16, 5000).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 'A').Put(4, 0).Put(4, 0);
    const Decoded d = Decode(b.Data(), 5000);
    EXPECT_EQ(d.status, kArcOk);
    EXPECT_TRUE(d.out == Bytes(5000, 'A'));
    EXPECT_EQ(d.taken, b.Data().size());
}

// A block of two literal/length symbols, 'x' (code 0) and the other (code 1),
// both one bit long, and a position code that is only class posClass.
Bits TwoSymbolBlock(unsigned count, unsigned other, unsigned posClass)
{
    Bits b;
    b.Put(16, count);
    // Code-length code: symbols 2 (run of zeros, 9-bit count) and 3 (length 1), one bit each.
    b.Put(5, 4).Put(3, 0).Put(3, 0).Put(3, 1).Put(2, 0).Put(3, 1);
    b.Put(9, other + 1);
    b.Put(1, 0).Put(9, 'x' - 20).Put(1, 1);  // zeros up to 'x', then length 1
    b.Put(1, 0).Put(9, other - 'x' - 1 - 20).Put(1, 1);
    b.Put(4, 0).Put(4, posClass);
    return b;
}

TEST(ArcDecoder, LongestMatchAtPositionZeroRepeatsThePreviousByte)
{
    Bits b = TwoSymbolBlock(2, 509, 0);
    b.Put(1, 0).Put(1, 1);  // 'x', then length 256 at position 0 (class 0, no bits)
    const Decoded d = Decode(b.Data(), 257);
    EXPECT_EQ(d.status, kArcOk);
    EXPECT_TRUE(d.out == Bytes(257, 'x'));
}

TEST(ArcDecoder, PositionClassTwelveWithAllBitsSetReachesTheSameBufferIndex)
{
    // 4096 bytes of a known pattern in the buffer from an earlier chunk, then a
    // match of 3 at position 4095: the byte 4096 back sits at the same index.
    std::uint8_t buffer[4096];
    for (int i = 0; i < 4096; ++i)
        buffer[i] = static_cast<std::uint8_t>(i * 7 + 1);
    Bits b = TwoSymbolBlock(1, 256, 12);
    b.Put(1, 1).Put(11, 0x7FF);
    const Bytes expected = {buffer[0], buffer[1], buffer[2]};
    const Decoded d = Decode(b.Data(), 3, buffer);
    EXPECT_EQ(d.status, kArcOk);
    EXPECT_TRUE(d.out == expected);
}

TEST(ArcDecoder, MatchCrossingAChunkFinishesAtTheStartOfTheNext)
{
    // 4086 literals, then a match of 20 bytes at distance 100.
    Bytes data = arctest::RandomBytes(4086, 5);
    std::vector<arc::LzSymbol> symbols;
    for (std::uint8_t c : data)
        symbols.push_back({c, 0});
    symbols.push_back({static_cast<std::uint16_t>(20 + 253), 99});
    for (int i = 0; i < 20; ++i)
        data.push_back(data[data.size() - 100]);
    data.push_back('z');
    symbols.push_back({'z', 0});
    const Bytes stream = arc::WriteBlocks(symbols, true);
    CArcDecoder decoder;
    CArcMemorySource source(stream.data(), stream.size());
    decoder.Start(&source, static_cast<std::uint32_t>(stream.size()), nullptr);
    std::uint8_t buffer[4096] = {};
    ASSERT_EQ(decoder.Decode(4096, buffer), kArcOk);
    EXPECT_TRUE(std::equal(buffer, buffer + 4096, data.begin()));
    ASSERT_EQ(decoder.Decode(11, buffer), kArcOk);
    EXPECT_TRUE(std::equal(buffer, buffer + 11, data.begin() + 4096));  // positions 0 to 9, then 'z'
}

TEST(ArcDecoder, StreamEndingInsideItsLastCodeStillGivesTheFullSize)
{
    const Bytes text = arctest::SettingsText(3000);
    Bytes stream = ArcEncode(text.data(), text.size());
    stream.resize(stream.size() - 2);
    const Decoded d = Decode(stream, text.size());
    EXPECT_EQ(d.status, kArcOk);
    EXPECT_EQ(d.out.size(), text.size());
    EXPECT_EQ(d.taken, stream.size());  // never past the stored size
    EXPECT_EQ(d.crc, ArcCrc32(stream.data(), stream.size()));  // zero fill is not in the CRC
}

TEST(ArcDecoder, StreamCutShortByMoreThanAWindowIsRefused)
{
    // Zero bits would decode on up to whatever size a header claims; past one
    // window of them the stream counts as cut short.
    const Bytes text = arctest::SettingsText(30000);
    Bytes stream = ArcEncode(text.data(), text.size());
    stream.resize(stream.size() / 2);
    EXPECT_EQ(Decode(stream, text.size()).status, kArcCorruptData);
    EXPECT_EQ(Decode({}, 100).status, kArcCorruptData);
}

TEST(ArcDecoder, RefusesCorruptCodes)
{
    struct Case {
        const char* what;
        Bits bits;
    };
    std::vector<Case> cases;
    // Code length 17 in the code-length code: 3 bits 111, ten 1-bits, a 0.
    cases.push_back({"length above 16", Bits().Put(16, 10).Put(5, 1).Put(3, 7).Put(10, 0x3FF).Put(1, 0)});
    // Three code-length symbols of length 1: more codes than the code space holds.
    cases.push_back({"over-subscribed", Bits().Put(16, 10).Put(5, 3).Put(3, 1).Put(3, 1).Put(3, 1).Put(2, 0)});
    cases.push_back({"count above 19", Bits().Put(16, 10).Put(5, 20)});
    cases.push_back({"single symbol out of range", Bits().Put(16, 10).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 510)});
    cases.push_back({"position count above 13",
                     Bits().Put(16, 10).Put(5, 0).Put(5, 0).Put(9, 0).Put(9, 'A').Put(4, 14)});
    // Zero run past the 510 literal/length symbols.
    cases.push_back({"run past the alphabet", Bits().Put(16, 10).Put(5, 0).Put(5, 2).Put(9, 500).Put(9, 500)});
    for (const Case& c : cases) {
        Bytes stream = c.bits.Data();
        stream.resize(stream.size() + 8, 0);
        EXPECT_EQ(Decode(stream, 10).status, kArcCorruptData) << c.what;
    }
}

TEST(ArcDecoder, ShortFormOfTheCodeLengthCodeSkipsSymbolsAfterTheThird)
{
    // Code-length lengths: 0 0 1, then 2 bits = 3 zero lengths (symbols 3..5), then symbol 6 length 1.
    // Literal lengths: s = 6 is length 4 ... symbol 2 (long zero run) is code 0, symbol 6 is code 1.
    Bits b;
    b.Put(16, 1).Put(5, 7).Put(3, 0).Put(3, 0).Put(3, 1).Put(2, 3).Put(3, 1);
    // 16 literal/length symbols of length 4 from 'a': zeros up to 'a', then 16 times symbol 6.
    b.Put(9, 'a' + 16).Put(1, 0).Put(9, 'a' - 20);
    for (int i = 0; i < 16; ++i)
        b.Put(1, 1);
    b.Put(4, 0).Put(4, 0);
    b.Put(4, 5);  // the sixth of the 16 codes: 'f'
    const Decoded d = Decode(b.Data(), 1);
    EXPECT_EQ(d.status, kArcOk);
    EXPECT_TRUE(d.out == Bytes({'f'}));
}

}  // namespace
}  // namespace brelko
