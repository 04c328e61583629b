// Where a finished backup reception goes. A backup never replaces a good file
// with a worse one: a complete reception replaces the target; one kept after
// line errors or silence goes under the target's name only when no file of
// that name exists, else beside it as "<base>.partial.asc"; one cut short
// (the device vanished, the user cancelled, an unnamed failure) is not kept.
#pragma once

#include <string>

#include "platform/AtomicFile.h"

namespace brelko {

struct CourseOutcome;

enum class BackupPlacement {
    Replaced,         // complete: the target was replaced (or made)
    KeptUnderTarget,  // incomplete but worth keeping, and no file had the name
    KeptBeside,       // incomplete: saved as <base>.partial.asc, the target left as it was
    NotKept,          // cut short: nothing saved, the target left as it was
};

// "night.asc" -> "night.partial.asc"; a name without ".asc" gets both.
std::string PartialBackupName(const std::string& target);

// The decision alone, and the path it writes to (empty when not kept).
BackupPlacement PlaceBackup(const std::string& target, const CourseOutcome& outcome, std::string* path);

struct BackupSave {
    BackupPlacement placement = BackupPlacement::NotKept;
    std::string path;     // the file written; empty when nothing was written
    bool written = false; // false when kept but the file could not be written
    FileWriteError writeError = FileWriteError::None;
    std::string message;  // what to tell the user, in the user's language
};

// Decides and writes (atomically). On a write failure the message is the
// reason and nothing under either name has changed.
BackupSave SaveBackup(const std::string& target, const CourseOutcome& outcome, const std::string& bytes);

}  // namespace brelko
