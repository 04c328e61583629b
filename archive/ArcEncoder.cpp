// The encoder: LZ77 over the 4096-byte window with hash chains, a lazy parse
// and a cost-based parse on top of it, then blocks chosen by their size.
#include "archive/ArcBlockCoder.h"
#include "archive/ArcFormat.h"
#include "archive/ArcWriter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace brelko {

using namespace arc;

namespace {

struct Match {
    std::uint16_t length;
    std::uint16_t distance;  // 1 to 4096
};

static_assert(std::endian::native == std::endian::little, "CommonLength reads words little-endian");

// How many bytes from a and b agree, up to limit; eight at a time.
int CommonLength(const std::uint8_t* a, const std::uint8_t* b, int limit)
{
    int len = 0;
    while (len + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y)
            return len + __builtin_ctzll(x ^ y) / 8;  // little-endian: the first differing byte
        len += 8;
    }
    while (len < limit && a[len] == b[len])
        ++len;
    return len;
}

class MatchFinder {
public:
    MatchFinder(const std::uint8_t* data, std::size_t size, int maxChain)
        : m_pData(data), m_nSize(size), m_nMaxChain(maxChain), m_head(kHashSize, -1), m_prev(kDictionarySize, -1)
    {
    }

    // Finds, at pos, the matches that each beat the previous one in length,
    // nearest first; positions before pos are in the chains. Returns the count.
    int Find(std::size_t pos, int maxLength, Match* out, int maxOut)
    {
        InsertUpTo(pos);
        if (maxLength < kMinMatch || pos + kMinMatch > m_nSize)
            return 0;
        const std::uint8_t* cur = m_pData + pos;
        int best = kMinMatch - 1;
        int found = 0;
        int chain = m_nMaxChain;
        for (std::int64_t cand = m_head[Hash(cur)]; cand >= 0 && chain-- > 0;
             cand = m_prev[cand & (kDictionarySize - 1)]) {
            const std::size_t distance = pos - static_cast<std::size_t>(cand);
            if (distance > static_cast<std::size_t>(kDictionarySize))
                break;
            const std::uint8_t* ref = m_pData + cand;
            if (ref[best] != cur[best] || ref[0] != cur[0])
                continue;
            const int len = CommonLength(ref, cur, maxLength);
            if (len > best) {
                best = len;
                if (found == maxOut)
                    --found;  // keep the longest at the end
                out[found++] = {static_cast<std::uint16_t>(len), static_cast<std::uint16_t>(distance)};
                if (len == maxLength)
                    break;
            }
        }
        return found;
    }

    void InsertUpTo(std::size_t pos)
    {
        for (; m_nInserted < pos; ++m_nInserted) {
            if (m_nInserted + kMinMatch > m_nSize)
                continue;
            const unsigned h = Hash(m_pData + m_nInserted);
            m_prev[m_nInserted & (kDictionarySize - 1)] = m_head[h];
            m_head[h] = static_cast<std::int64_t>(m_nInserted);
        }
    }

private:
    static constexpr unsigned kHashBits = 15;
    static constexpr std::size_t kHashSize = 1u << kHashBits;
    static unsigned Hash(const std::uint8_t* p)
    {
        const std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        return (v * 2654435761u) >> (32 - kHashBits);
    }

    const std::uint8_t* m_pData;
    std::size_t m_nSize;
    int m_nMaxChain;
    std::size_t m_nInserted = 0;
    std::vector<std::int64_t> m_head;
    std::vector<std::int64_t> m_prev;
};

LzSymbol Literal(std::uint8_t byte) { return {byte, 0}; }
LzSymbol MatchSymbol(int length, int distance)
{
    return {static_cast<std::uint16_t>(length + 256 - kMinMatch), static_cast<std::uint16_t>(distance - 1)};
}

constexpr int kMaxCandidates = 32;
constexpr int kNiceLength = 128;  // a match this long is taken without looking inside it

// A far match of three bytes costs more than three literals.
bool WorthIt(const Match& m) { return m.length > kMinMatch || m.distance <= 512; }

void LazyParse(const std::uint8_t* data, std::size_t size, int maxChain, std::vector<LzSymbol>& out)
{
    MatchFinder finder(data, size, maxChain);
    Match found[kMaxCandidates];
    std::size_t i = 0;
    while (i < size) {
        const int maxLength = static_cast<int>(std::min<std::size_t>(kMaxMatch, size - i));
        int n = finder.Find(i, maxLength, found, kMaxCandidates);
        if (n == 0 || !WorthIt(found[n - 1])) {
            out.push_back(Literal(data[i++]));
            continue;
        }
        const Match here = found[n - 1];
        if (here.length < kNiceLength && i + 1 < size) {
            // Lazy step: a longer match one byte later wins over this one.
            const int nextMax = static_cast<int>(std::min<std::size_t>(kMaxMatch, size - i - 1));
            int m = finder.Find(i + 1, nextMax, found, kMaxCandidates);
            if (m > 0 && found[m - 1].length > here.length && WorthIt(found[m - 1])) {
                out.push_back(Literal(data[i++]));
                continue;
            }
        }
        out.push_back(MatchSymbol(here.length, here.distance));
        i += here.length;
    }
}

// Bit costs of the symbols, estimated from the counts of an earlier parse.
struct CostModel {
    float literal[kLiteralSymbols];
    float position[kPositionSymbols];

    void FromCounts(const std::vector<LzSymbol>& symbols, std::size_t begin, std::size_t end)
    {
        std::uint32_t lit[kLiteralSymbols] = {};
        std::uint32_t pos[kPositionSymbols] = {};
        for (std::size_t i = begin; i < end; ++i) {
            ++lit[symbols[i].code];
            if (symbols[i].code >= 256)
                ++pos[PositionClass(symbols[i].position)];
        }
        Fill(lit, kLiteralSymbols, literal);
        Fill(pos, kPositionSymbols, position);
        for (int k = 1; k < kPositionSymbols; ++k)
            position[k] += static_cast<float>(k - 1);
    }

    static void Fill(const std::uint32_t* counts, int n, float* cost)
    {
        double total = 0;
        for (int i = 0; i < n; ++i)
            total += counts[i];
        const double unseen = std::log2(total + 2) + 1;  // never seen: dearer than anything seen
        for (int i = 0; i < n; ++i)
            cost[i] = counts[i] ? static_cast<float>(std::log2(total / counts[i])) : static_cast<float>(unseen);
    }

    float MatchCost(int length, int distance) const
    {
        return literal[length + 256 - kMinMatch] + position[PositionClass(static_cast<unsigned>(distance - 1))];
    }
};

// Every position's matches, nearest first, each longer than the one before;
// inside a very long match no position is searched.
struct MatchTable {
    std::vector<Match> matches;
    std::vector<std::uint32_t> first;  // matches of position i: [first[i], first[i + 1])
};

void FindAllMatches(const std::uint8_t* data, std::size_t size, int maxChain, MatchTable& table)
{
    MatchFinder finder(data, size, maxChain);
    table.first.assign(1, 0);
    table.first.reserve(size + 1);
    Match found[kMaxCandidates];
    std::size_t skipUntil = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (i >= skipUntil) {
            const int maxLength = static_cast<int>(std::min<std::size_t>(kMaxMatch, size - i));
            const int k = finder.Find(i, maxLength, found, kMaxCandidates);
            table.matches.insert(table.matches.end(), found, found + k);
            if (k > 0 && found[k - 1].length >= kNiceLength)
                skipUntil = i + found[k - 1].length;
        }
        table.first.push_back(static_cast<std::uint32_t>(table.matches.size()));
    }
}

// Shortest path through the bytes [begin, end) over the found matches.
void OptimalParse(const std::uint8_t* data, std::size_t begin, std::size_t end, const MatchTable& table,
                  const CostModel& model, std::vector<LzSymbol>& out)
{
    const std::size_t n = end - begin;
    std::vector<float> cost(n + 1, std::numeric_limits<float>::max());
    std::vector<Match> step(n + 1);  // how each position was reached: length 1 is a literal
    cost[0] = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const float here = cost[i];
        const float viaLiteral = here + model.literal[data[begin + i]];
        if (viaLiteral < cost[i + 1]) {
            cost[i + 1] = viaLiteral;
            step[i + 1] = {1, 0};
        }
        const int room = static_cast<int>(std::min<std::size_t>(kMaxMatch, n - i));
        int shorter = kMinMatch - 1;
        for (std::uint32_t c = table.first[begin + i]; c < table.first[begin + i + 1] && shorter < room; ++c) {
            const Match& m = table.matches[c];
            const int longest = std::min<int>(m.length, room);
            // Lengths up to this match's that no nearer match reaches.
            for (int len = shorter + 1; len <= longest; ++len) {
                const float via = here + model.MatchCost(len, m.distance);
                if (via < cost[i + len]) {
                    cost[i + len] = via;
                    step[i + len] = {static_cast<std::uint16_t>(len), m.distance};
                }
            }
            shorter = longest;
        }
    }
    std::vector<LzSymbol> reversed;
    for (std::size_t j = n; j > 0;) {
        const Match s = step[j];
        if (s.length == 1) {
            reversed.push_back(Literal(data[begin + j - 1]));
            j -= 1;
        } else {
            reversed.push_back(MatchSymbol(s.length, s.distance));
            j -= s.length;
        }
    }
    out.insert(out.end(), reversed.rbegin(), reversed.rend());
}

std::size_t SymbolBytes(const LzSymbol& s) { return s.code < 256 ? 1 : s.code - (256 - kMinMatch); }

// Parses [begin, end) a few times, each time with the costs of the last parse.
void Refine(const std::uint8_t* data, std::size_t begin, std::size_t end, const MatchTable& table,
            CostModel& model, int passes, std::vector<LzSymbol>& out)
{
    std::vector<LzSymbol> part;
    for (int pass = 0; pass < passes; ++pass) {
        part.clear();
        OptimalParse(data, begin, end, table, model, part);
        model.FromCounts(part, 0, part.size());
    }
    out.insert(out.end(), part.begin(), part.end());
}

void CostBasedParse(const std::uint8_t* data, std::size_t size, int maxChain, std::vector<LzSymbol>& out)
{
    constexpr std::size_t kSegment = 1 << 16;
    MatchTable table;
    FindAllMatches(data, size, maxChain, table);
    // First costs: the lazy parse, per segment.
    std::vector<LzSymbol> lazy;
    LazyParse(data, size, maxChain, lazy);
    std::vector<LzSymbol> first;
    std::size_t lazyAt = 0, lazyPos = 0;
    for (std::size_t begin = 0; begin < size; begin += kSegment) {
        const std::size_t end = std::min(size, begin + kSegment);
        const std::size_t from = lazyAt;
        while (lazyAt < lazy.size() && lazyPos < end)
            lazyPos += SymbolBytes(lazy[lazyAt++]);
        CostModel model;
        model.FromCounts(lazy, from, lazyAt);
        Refine(data, begin, end, table, model, 2, first);
    }
    // Then again block by block, with each block's own costs.
    const std::vector<std::size_t> ends = ChooseBlocks(first, true);
    std::size_t symbol = 0, pos = 0;
    for (std::size_t blockEnd : ends) {
        const std::size_t begin = pos, from = symbol;
        for (; symbol < blockEnd; ++symbol)
            pos += SymbolBytes(first[symbol]);
        CostModel model;
        model.FromCounts(first, from, blockEnd);
        Refine(data, begin, pos, table, model, 3, out);
    }
}

}  // namespace

std::vector<std::uint8_t> ArcEncode(const std::uint8_t* data, std::size_t size, const ArcEncodeOptions& options)
{
    std::vector<LzSymbol> symbols;
    symbols.reserve(size / 3 + 16);
    const int chain = std::max(1, options.maxChain);
    if (options.optimalParse)
        CostBasedParse(data, size, chain, symbols);
    else
        LazyParse(data, size, chain, symbols);
    return WriteBlocks(symbols, ChooseBlocks(symbols, options.splitBlocks));
}

std::vector<std::uint8_t> ArcEncode(const std::uint8_t* data, std::size_t size)
{
    return ArcEncode(data, size, ArcEncodeOptions{});
}

}  // namespace brelko
