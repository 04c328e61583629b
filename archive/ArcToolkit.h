// The archive toolkit: open an archive, queue extract requests, carry them
// out, close. One archive is open at a time in the process; the calls are
// serialised by a lock, and an archive belongs to the thread that opened it.
#pragma once

#include "archive/ArcEntry.h"
#include "archive/ArcStatus.h"

#include <string>
#include <vector>

namespace brelko {

inline constexpr int kArcKeepPaths = 1;  // open flag bit 0: extract with directory paths
inline constexpr int kArcBuffered = 2;   // open flag bit 1: 2048-byte stream buffers

// Opens (creating when missing) the archive for update and creates the work
// file beside it. A name without '.' gets ".arq". While another thread holds
// an archive open this waits a few seconds for it to close.
ArcStatus ArcOpen(const char* name, int flags);

// Queues: extract entries matching pattern into destination ("" is the current
// folder). kArcBadSpec for a malformed '[' set.
ArcStatus ArcAddRequest(const char* pattern, const char* destination);

// Walks the archive and extracts every entry that a request matches.
ArcStatus ArcProcess();

// Closes the archive, deletes the work file (and the archive when it is
// empty) and forgets the requests.
ArcStatus ArcClose();

// Whether a member whose CRC does not match is kept (the default) or left
// out, so that an older file of its name stays as it was.
void ArcKeepDamagedMembers(bool keep);

// What the last ArcProcess did with each entry that matched a request.
struct ArcExtraction {
    std::string name;  // entry name as read
    std::string path;  // output path ("" when nothing was put in place)
    ArcStatus status;  // 0, kArcCrcError, kArcCorruptData, kArcUnsafeName, kArcNoStream, ...
    std::string reason = {};  // why the output could not be written (kArcNoStream, kArcWriteError)
};
std::vector<ArcExtraction> ArcLastExtractions();

// The work file's path while an archive is open ("" otherwise).
std::string ArcWorkFileName();

}  // namespace brelko
