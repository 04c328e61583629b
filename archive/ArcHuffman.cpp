#include "archive/ArcHuffman.h"

#include <algorithm>
#include <vector>

namespace brelko::arc {

namespace {

// Plain Huffman tree over the used symbols; returns the deepest level.
int TreeDepths(const std::vector<std::uint32_t>& weights, std::vector<int>& depth)
{
    const int n = static_cast<int>(weights.size());
    // Two-queue construction: leaves sorted by weight, inner nodes come out in order.
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return weights[a] < weights[b]; });
    std::vector<std::uint64_t> nodeWeight(2 * n);
    std::vector<int> parent(2 * n, -1);
    for (int i = 0; i < n; ++i)
        nodeWeight[i] = weights[order[i]];
    int leaf = 0, inner = n, next = n;
    auto pick = [&]() {
        if (leaf < n && (inner >= next || nodeWeight[leaf] <= nodeWeight[inner]))
            return leaf++;
        return inner++;
    };
    while (next < 2 * n - 1) {
        int a = pick();
        int b = pick();
        nodeWeight[next] = nodeWeight[a] + nodeWeight[b];
        parent[a] = parent[b] = next;
        ++next;
    }
    std::vector<int> d(2 * n - 1, 0);
    for (int i = 2 * n - 3; i >= 0; --i)
        d[i] = d[parent[i]] + 1;
    depth.assign(n, 0);
    int deepest = 0;
    for (int i = 0; i < n; ++i) {
        depth[order[i]] = d[i];
        deepest = std::max(deepest, d[i]);
    }
    return deepest;
}

}  // namespace

int BuildCodeLengths(const std::uint32_t* freq, int symbols, int maxLength, std::uint8_t* lengths)
{
    std::vector<int> used;
    std::vector<std::uint32_t> weights;
    for (int i = 0; i < symbols; ++i) {
        lengths[i] = 0;
        if (freq[i] > 0) {
            used.push_back(i);
            weights.push_back(freq[i]);
        }
    }
    const int n = static_cast<int>(used.size());
    if (n < 2)
        return n;
    std::vector<int> depth;
    // Too deep: flatten the weights and build again until the tree fits.
    while (TreeDepths(weights, depth) > maxLength) {
        for (auto& w : weights)
            w = (w >> 1) | 1;
    }
    for (int i = 0; i < n; ++i)
        lengths[used[i]] = static_cast<std::uint8_t>(depth[i]);
    return n;
}

void BuildCanonicalCodes(const std::uint8_t* lengths, int symbols, std::uint16_t* codes)
{
    unsigned count[17] = {};
    for (int i = 0; i < symbols; ++i)
        ++count[lengths[i]];
    count[0] = 0;
    unsigned next[18] = {};
    unsigned code = 0;
    for (int len = 1; len <= 16; ++len) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    for (int i = 0; i < symbols; ++i)
        codes[i] = lengths[i] ? static_cast<std::uint16_t>(next[lengths[i]]++) : 0;
}

}  // namespace brelko::arc
