#include "ArcCrc32.h"

#include <array>

namespace brelko {

const std::uint32_t* ArcCrcTable()
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table.data();
}

std::uint32_t ArcCrcUpdate(std::uint32_t crc, const std::uint8_t* data, std::size_t size)
{
    const std::uint32_t* table = ArcCrcTable();
    for (std::size_t i = 0; i < size; ++i)
        crc = ArcCrcByte(table, crc, data[i]);
    return crc;
}

}  // namespace brelko
