#include "archive/ArcBlockCoder.h"

#include "archive/ArcFormat.h"
#include "archive/ArcHuffman.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace brelko::arc {

namespace {

// Most significant bit first. In counting mode it only adds up the bits.
class BitSink {
public:
    explicit BitSink(std::vector<std::uint8_t>* out) : m_pOut(out) {}
    void Put(int bits, unsigned value)
    {
        m_nTotal += static_cast<std::uint64_t>(bits);
        if (!m_pOut || bits == 0)
            return;
        m_nAcc = (m_nAcc << bits) | (value & ((1u << bits) - 1));
        m_nCount += bits;
        while (m_nCount >= 8) {
            m_nCount -= 8;
            m_pOut->push_back(static_cast<std::uint8_t>(m_nAcc >> m_nCount));
        }
    }
    void Flush()
    {
        if (m_pOut && m_nCount > 0)
            m_pOut->push_back(static_cast<std::uint8_t>(m_nAcc << (8 - m_nCount)));
        m_nCount = 0;
    }
    std::uint64_t Total() const { return m_nTotal; }

private:
    std::vector<std::uint8_t>* m_pOut;
    std::uint64_t m_nAcc = 0;
    int m_nCount = 0;
    std::uint64_t m_nTotal = 0;
};

struct Code {
    std::uint8_t length[kLiteralSymbols];
    std::uint16_t bits[kLiteralSymbols];
    int used = 0;
    int single = 0;  // the one symbol when used <= 1
};

void MakeCode(const std::uint32_t* freq, int symbols, Code& code)
{
    code.used = BuildCodeLengths(freq, symbols, kMaxCodeLength, code.length);
    code.single = 0;
    if (code.used <= 1) {
        for (int i = 0; i < symbols; ++i)
            if (freq[i])
                code.single = i;
        std::memset(code.length, 0, static_cast<std::size_t>(symbols));
    }
    BuildCanonicalCodes(code.length, symbols, code.bits);
}

int TrimmedCount(const std::uint8_t* lengths, int n)
{
    while (n > 0 && lengths[n - 1] == 0)
        --n;
    return n;
}

// The code-length code or the position code, as a short length list.
void PutShortLengths(BitSink& out, const Code& code, int symbols, int countBits, int specialIndex)
{
    if (code.used <= 1) {
        out.Put(countBits, 0);
        out.Put(countBits, static_cast<unsigned>(code.single));
        return;
    }
    const int n = TrimmedCount(code.length, symbols);
    out.Put(countBits, static_cast<unsigned>(n));
    int i = 0;
    while (i < n) {
        const int k = code.length[i++];
        if (k <= 6)
            out.Put(3, static_cast<unsigned>(k));
        else
            out.Put(k - 3, (1u << (k - 3)) - 2);
        if (i == specialIndex) {
            while (i < 6 && code.length[i] == 0)
                ++i;
            out.Put(2, static_cast<unsigned>(i - 3));
        }
    }
}

// Walks the runs of the literal/length lengths as code-length symbols.
template <typename Visit>
void ForEachLengthSymbol(const std::uint8_t* lengths, int n, Visit visit)
{
    int i = 0;
    while (i < n) {
        const int k = lengths[i++];
        if (k != 0) {
            visit(k + 2, 0, 0);
            continue;
        }
        int run = 1;
        while (i < n && lengths[i] == 0) {
            ++i;
            ++run;
        }
        if (run <= 2) {
            for (int r = 0; r < run; ++r)
                visit(0, 0, 0);
        } else if (run <= 18) {
            visit(1, 4, run - 3);
        } else if (run == 19) {
            visit(0, 0, 0);
            visit(1, 4, 15);
        } else {
            visit(2, kLiteralCountBits, run - 20);
        }
    }
}

struct Plan {
    Code literal, lengthCode, position;
};

// Builds the block's codes and writes (or counts) the block header.
void PutHeader(BitSink& out, unsigned symbolCount, const std::uint32_t* literalFreq,
               const std::uint32_t* positionFreq, Plan& plan)
{
    out.Put(kBlockCountBits, symbolCount);
    MakeCode(literalFreq, kLiteralSymbols, plan.literal);
    if (plan.literal.used <= 1) {
        out.Put(kLengthCountBits, 0);
        out.Put(kLengthCountBits, 0);
        out.Put(kLiteralCountBits, 0);
        out.Put(kLiteralCountBits, static_cast<unsigned>(plan.literal.single));
    } else {
        const int n = TrimmedCount(plan.literal.length, kLiteralSymbols);
        std::uint32_t lengthFreq[kLengthSymbols] = {};
        ForEachLengthSymbol(plan.literal.length, n, [&](int s, int, int) { ++lengthFreq[s]; });
        MakeCode(lengthFreq, kLengthSymbols, plan.lengthCode);
        PutShortLengths(out, plan.lengthCode, kLengthSymbols, kLengthCountBits, kLengthSpecialIndex);
        out.Put(kLiteralCountBits, static_cast<unsigned>(n));
        const Code& t = plan.lengthCode;
        ForEachLengthSymbol(plan.literal.length, n, [&](int s, int extraBits, int extra) {
            out.Put(t.length[s], t.bits[s]);
            out.Put(extraBits, static_cast<unsigned>(extra));
        });
    }
    MakeCode(positionFreq, kPositionSymbols, plan.position);
    PutShortLengths(out, plan.position, kPositionSymbols, kPositionCountBits, -1);
}

struct Histogram {
    std::uint32_t literal[kLiteralSymbols];
    std::uint32_t position[kPositionSymbols];
};

void Count(const LzSymbol* begin, const LzSymbol* end, Histogram& h)
{
    std::memset(&h, 0, sizeof h);
    for (const LzSymbol* s = begin; s != end; ++s) {
        ++h.literal[s->code];
        if (s->code >= 256)
            ++h.position[PositionClass(s->position)];
    }
}

// Exact size in bits of one block holding symbols with these counts.
std::uint64_t BlockBits(unsigned count, const Histogram& h)
{
    Plan plan;
    BitSink counter(nullptr);
    PutHeader(counter, count, h.literal, h.position, plan);
    std::uint64_t bits = counter.Total();
    for (int i = 0; i < kLiteralSymbols; ++i)
        bits += static_cast<std::uint64_t>(h.literal[i]) * plan.literal.length[i];
    for (int k = 0; k < kPositionSymbols; ++k)
        bits += static_cast<std::uint64_t>(h.position[k]) * (plan.position.length[k] + (k > 0 ? k - 1 : 0));
    return bits;
}

void PutBlock(BitSink& out, const LzSymbol* begin, const LzSymbol* end)
{
    Histogram h;
    Count(begin, end, h);
    Plan plan;
    PutHeader(out, static_cast<unsigned>(end - begin), h.literal, h.position, plan);
    for (const LzSymbol* s = begin; s != end; ++s) {
        out.Put(plan.literal.length[s->code], plan.literal.bits[s->code]);
        if (s->code >= 256) {
            const int k = PositionClass(s->position);
            out.Put(plan.position.length[k], plan.position.bits[k]);
            if (k > 1)
                out.Put(k - 1, s->position);  // the bits below the leading 1
        }
    }
}

// Chooses block boundaries among multiples of a unit of symbols: a range is
// split where the two halves cost least, as long as that beats one block.
class Splitter {
public:
    Splitter(const std::vector<LzSymbol>& symbols, std::size_t unit) : m_symbols(symbols), m_nUnit(unit)
    {
        m_nUnits = (symbols.size() + unit - 1) / unit;
        m_prefix.resize((m_nUnits + 1));
        std::memset(&m_prefix[0], 0, sizeof(Histogram));
        for (std::size_t u = 0; u < m_nUnits; ++u) {
            Histogram h;
            Count(symbols.data() + Begin(u), symbols.data() + Begin(u + 1), h);
            m_prefix[u + 1] = m_prefix[u];
            for (int i = 0; i < kLiteralSymbols; ++i)
                m_prefix[u + 1].literal[i] += h.literal[i];
            for (int i = 0; i < kPositionSymbols; ++i)
                m_prefix[u + 1].position[i] += h.position[i];
        }
    }

    std::vector<std::size_t> Boundaries()
    {
        std::vector<std::size_t> cuts;
        Split(0, m_nUnits, cuts);
        cuts.push_back(m_symbols.size());
        return cuts;
    }

private:
    std::size_t Begin(std::size_t unit) const { return std::min(unit * m_nUnit, m_symbols.size()); }

    std::uint64_t Cost(std::size_t a, std::size_t b) const
    {
        const std::size_t count = Begin(b) - Begin(a);
        if (count > static_cast<std::size_t>(kMaxBlockSymbols))
            return std::numeric_limits<std::uint64_t>::max() / 4;
        Histogram h;
        for (int i = 0; i < kLiteralSymbols; ++i)
            h.literal[i] = m_prefix[b].literal[i] - m_prefix[a].literal[i];
        for (int i = 0; i < kPositionSymbols; ++i)
            h.position[i] = m_prefix[b].position[i] - m_prefix[a].position[i];
        return BlockBits(static_cast<unsigned>(count), h);
    }

    void Split(std::size_t a, std::size_t b, std::vector<std::size_t>& cuts)
    {
        if (b - a >= 2) {
            const bool tooLong = Begin(b) - Begin(a) > static_cast<std::size_t>(kMaxBlockSymbols);
            const std::uint64_t whole = tooLong ? std::numeric_limits<std::uint64_t>::max() : Cost(a, b);
            // Long ranges try a coarse grid of split points.
            const std::size_t step = std::max<std::size_t>(1, (b - a) / 48);
            std::uint64_t best = std::numeric_limits<std::uint64_t>::max();
            std::size_t bestCut = a;
            for (std::size_t m = a + step; m < b; m += step) {
                const std::uint64_t c = Cost(a, m) + Cost(m, b);
                if (c < best) {
                    best = c;
                    bestCut = m;
                }
            }
            if (best < whole) {
                Split(a, bestCut, cuts);
                Split(bestCut, b, cuts);
                return;
            }
        }
        if (a > 0)
            cuts.push_back(Begin(a));
    }

    const std::vector<LzSymbol>& m_symbols;
    std::size_t m_nUnit;
    std::size_t m_nUnits = 0;
    std::vector<Histogram> m_prefix;
};

}  // namespace

std::vector<std::size_t> ChooseBlocks(const std::vector<LzSymbol>& symbols, bool split)
{
    std::vector<std::size_t> ends;
    if (symbols.empty())
        return ends;
    if (split) {
        const std::size_t unit = std::clamp<std::size_t>(symbols.size() / 4096, 256, 16384);
        return Splitter(symbols, unit).Boundaries();
    }
    for (std::size_t e = kMaxBlockSymbols; e < symbols.size(); e += kMaxBlockSymbols)
        ends.push_back(e);
    ends.push_back(symbols.size());
    return ends;
}

std::vector<std::uint8_t> WriteBlocks(const std::vector<LzSymbol>& symbols, const std::vector<std::size_t>& ends)
{
    std::vector<std::uint8_t> out;
    BitSink sink(&out);
    std::size_t begin = 0;
    for (std::size_t end : ends) {
        if (end > begin)
            PutBlock(sink, symbols.data() + begin, symbols.data() + end);
        begin = end;
    }
    sink.Flush();
    return out;
}

}  // namespace brelko::arc
