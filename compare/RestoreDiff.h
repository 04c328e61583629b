// What a restore of a backup file would change on the vision system: the
// system's current backup compared with the part of the file that a
// restore sends.
#pragma once

#include <string_view>

#include "compare/TextDiff.h"

namespace brelko {

// The part of a backup that a restore sends: everything up to and including
// the end marker "[END]" and the line end right after it; the
// whole text when it has no end marker.
std::string_view RestoredPart(std::string_view backup);

// Old side: the system as it is; new side: the system after the restore.
TextDiff CompareForRestore(std::string_view systemBackup, std::string_view fileBackup,
                           std::size_t context = 3);

}  // namespace brelko
