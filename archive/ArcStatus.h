// Status codes of the archive toolkit: 0 success, small negative numbers for failures.
#pragma once

#include <cstdint>

namespace brelko {

using ArcStatus = std::int16_t;

inline constexpr ArcStatus kArcOk = 0;
inline constexpr ArcStatus kArcNoMemory = -3;       // out of memory
inline constexpr ArcStatus kArcCannotOpen = -4;     // archive cannot be opened for reading (probe)
inline constexpr ArcStatus kArcNotArchive = -5;     // no signature at the start of the file
inline constexpr ArcStatus kArcBadHeader = -6;      // wrong signature, bad name length, short read
inline constexpr ArcStatus kArcCrcError = -7;       // CRC mismatch after extracting an entry
inline constexpr ArcStatus kArcNoStream = -8;       // a stream is missing or a file cannot be opened
inline constexpr ArcStatus kArcNewerVersion = -9;   // the entry needs a newer toolkit
inline constexpr ArcStatus kArcEndMarker = -10;     // end marker reached
inline constexpr ArcStatus kArcAlreadyOpen = -11;   // an archive is already open
inline constexpr ArcStatus kArcBadSpec = -14;       // malformed file pattern
inline constexpr ArcStatus kArcNoWorkFile = -15;    // the work file cannot be created
// Codes of our own, reported per entry by ArcLastExtractions():
inline constexpr ArcStatus kArcCorruptData = -16;   // compressed data that cannot be decoded
inline constexpr ArcStatus kArcUnsafeName = -17;    // entry name would leave the destination folder
inline constexpr ArcStatus kArcWriteError = -18;    // the output file could not be written
inline constexpr ArcStatus kArcUnknownMethod = -19; // method other than 1 or 2: skipped

}  // namespace brelko
