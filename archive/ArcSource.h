// Where the decoder takes its stored bytes from: an archive file or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace brelko {

class CArcSource {
public:
    virtual ~CArcSource() = default;
    // Reads up to max bytes into buffer; returns how many were read (0 at the end).
    virtual std::size_t Read(std::uint8_t* buffer, std::size_t max) = 0;
};

class CArcMemorySource final : public CArcSource {
public:
    CArcMemorySource(const std::uint8_t* data, std::size_t size) : m_pData(data), m_nSize(size) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t max) override
    {
        std::size_t n = m_nSize - m_nPos < max ? m_nSize - m_nPos : max;
        if (n > 0)
            std::memcpy(buffer, m_pData + m_nPos, n);
        m_nPos += n;
        return n;
    }

private:
    const std::uint8_t* m_pData;
    std::size_t m_nSize;
    std::size_t m_nPos = 0;
};

class CArcFileSource final : public CArcSource {
public:
    explicit CArcFileSource(std::FILE* file) : m_pFile(file) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t max) override
    {
        return m_pFile ? std::fread(buffer, 1, max, m_pFile) : 0;
    }

private:
    std::FILE* m_pFile;
};

}  // namespace brelko
