// The system's own way of telling the user about a fatal library fault, used
// when no hook is set. Returns once the user has seen it.
#pragma once

namespace brelko {

void ShowLibraryError(const char* caption, const char* message);

}  // namespace brelko
