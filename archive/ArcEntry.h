// The archive's entry header in memory, and reading it from a stream.
#pragma once

#include "archive/ArcFormat.h"
#include "archive/ArcStatus.h"

#include <cstdint>
#include <cstdio>

namespace brelko {

// One entry header, in the order of the file's fields.
struct ArcEntry {
    std::FILE* m_pInput = nullptr;   // the archive, at the entry's header
    std::FILE* m_pOutput = nullptr;  // the extracted file while it is written
    std::uint8_t m_nWriterVersion = 0;
    std::uint8_t m_nNeededVersion = 0;
    std::int16_t m_nNameLength = 0;
    char m_szName[arc::kMaxNameLength + 1] = {};  // '\' between directories once read
    std::uint32_t m_nTime = 0;                    // seconds since 1970
    std::uint16_t m_nMode = 0;
    std::uint16_t m_nOwner = 0;
    std::uint16_t m_nGroup = 0;
    std::uint32_t m_nStoredSize = 0;
    std::uint32_t m_nOriginalSize = 0;
    std::uint32_t m_nCrc = 0;  // CRC-32 of the stored bytes
    std::uint16_t m_nMethod = 0;
    std::uint8_t m_nSystem = 0;  // 3: the name keeps its letter case
    std::uint8_t m_nKind = 0;
    std::uint8_t m_nReserved = 0;
    std::uint16_t m_nExtraLength = 0;
    std::uint8_t m_abReserved[5] = {};
};

// Reads the header at the input stream's position and leaves the stream at
// the entry's stored data. Returns 0, kArcNotArchive (empty file), kArcBadHeader,
// kArcNoStream (no input), kArcNewerVersion or kArcEndMarker.
ArcStatus ArcReadHeader(ArcEntry& entry);

// 0 when the named file starts with a readable header or the end marker;
// kArcCannotOpen when it cannot be opened; kArcNotArchive otherwise. A name
// without '.' gets ".arq".
ArcStatus ArcProbe(const char* name);

// The file-name part of an entry name as read: what follows the last '\' or ':'.
// Without keep-paths an entry is extracted under this name.
const char* ArcFileNamePart(const char* name);

}  // namespace brelko
