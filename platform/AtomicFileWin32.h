// The Windows side of the atomic file writer that its tests reach: names
// made absolute, and replacing a file with the recovery of a replacement the
// system left halfway (the replace call a parameter, so that its failures
// can be played on real files).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace brelko::fileos {

// The full path for the current folder; the name unchanged when the system
// cannot make one.
std::wstring AbsoluteName(const std::wstring& path);

// ReplaceFileW's shape: target, replacement, backup name; the error by GetLastError.
using ReplaceCall = std::function<BOOL(const std::wstring& target, const std::wstring& replacement,
                                       const std::wstring& backup)>;

struct ReplaceOutcome {
    bool replaced = false;  // the new content is under the target's name; the backup is gone
    bool stranded = false;  // neither content could be put under the target's name: every file kept
    DWORD error = 0;        // the replace call's own error, when it failed
};

// Replaces target with replacement, the old content under backup meanwhile.
// Without `replaced`, the target holds its old content, unless `stranded`.
ReplaceOutcome ReplaceWithRecovery(const std::wstring& target, const std::wstring& replacement,
                                   const std::wstring& backup, const ReplaceCall& replace);

}  // namespace brelko::fileos
