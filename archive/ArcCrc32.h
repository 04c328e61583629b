// The standard CRC-32 (reflected polynomial 0xEDB88320) that covers the stored
// bytes of every archive entry.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brelko {

// The 256-entry table, built once on first use.
const std::uint32_t* ArcCrcTable();

// Running form: start at 0xFFFFFFFF, feed bytes, complement at the end.
std::uint32_t ArcCrcUpdate(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

inline std::uint32_t ArcCrcByte(const std::uint32_t* table, std::uint32_t crc, std::uint8_t byte)
{
    return table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

// The complete CRC-32 of a buffer.
inline std::uint32_t ArcCrc32(const std::uint8_t* data, std::size_t size)
{
    return ~ArcCrcUpdate(0xFFFFFFFFu, data, size);
}

}  // namespace brelko
