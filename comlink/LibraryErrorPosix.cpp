// Without a window system of its own, the library tells standard error.
#include <cstdio>

#include "comlink/LibraryErrorReport.h"

namespace brelko {

void ShowLibraryError(const char* /*caption*/, const char* message) {
    std::fprintf(stderr, "%s\n", message);
}

}  // namespace brelko
