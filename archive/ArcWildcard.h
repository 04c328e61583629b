// File patterns with wildcards: '*' any characters, '+' one or more,
// '?' one, '[set]' one of a set (ranges with '-', '!' or '^' negates).
#pragma once

namespace brelko {

// False for a malformed '[' set: unclosed, or a range with no upper end.
bool ArcSpecIsValid(const char* pattern);

// One left-to-right pass that never backs up, without regard to case.
// "*.*" counts as "*".
bool ArcWildMatch(const char* pattern, const char* name);

}  // namespace brelko
