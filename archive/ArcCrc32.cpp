#include "archive/ArcCrc32.h"

#include <array>
#include <cstring>

namespace brelko {

namespace {

// The byte table, followed by seven more that let the bulk loop take eight
// bytes a step; all built once on first use.
using Tables = std::array<std::array<std::uint32_t, 256>, 8>;

const Tables& CrcTables()
{
    static const Tables tables = [] {
        Tables t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (std::uint32_t i = 0; i < 256; ++i)
            for (int k = 1; k < 8; ++k)
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
        return t;
    }();
    return tables;
}

}  // namespace

const std::uint32_t* ArcCrcTable() { return CrcTables()[0].data(); }

std::uint32_t ArcCrcUpdate(std::uint32_t crc, const std::uint8_t* data, std::size_t size)
{
    const Tables& t = CrcTables();
    while (size >= 8) {
        std::uint32_t lo, hi;
        std::memcpy(&lo, data, 4);  // little-endian words
        std::memcpy(&hi, data + 4, 4);
        lo ^= crc;
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
        data += 8;
        size -= 8;
    }
    for (std::size_t i = 0; i < size; ++i)
        crc = ArcCrcByte(t[0].data(), crc, data[i]);
    return crc;
}

}  // namespace brelko
