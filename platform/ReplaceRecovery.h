// Replacing a file with the system's replace call can fail halfway: the old
// file renamed away, the new one not yet under the target's name. What to
// do next is read from the files as they are, one step at a time, so that
// at every point one of the two contents is kept: the new one moved into
// place, else the old one put back, else both left where they are and
// named to the user. No step ever removes a file that holds the only copy.
#pragma once

namespace brelko::fileos {

enum class ReplaceStep {
    Done,             // the new content is under the target's name
    KeepTarget,       // the old content is still (or again) under the target's name
    MoveReplacement,  // the target's name is free: move the new content there
    RestoreOriginal,  // the new content cannot go there: put the old one back from its backup name
    Stranded,         // nothing more can be moved: keep every file and tell the user where they are
};

struct ReplaceState {
    bool targetExists = false;
    bool replacementExists = false;  // the temporary file with the new content
    bool backupExists = false;       // the old content under its backup name
    bool moveFailed = false;         // moving the replacement into place was tried and failed
    bool restoreFailed = false;      // putting the old content back was tried and failed
};

ReplaceStep NextReplaceStep(const ReplaceState& state);

}  // namespace brelko::fileos
