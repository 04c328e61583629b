// On Windows the fault is shown in a message box owned by the window that has
// the keyboard focus; a console program also gets the text on standard error,
// where a script that runs it can see it.
#include <windows.h>

#include <cstdio>

#include "comlink/LibraryErrorReport.h"

namespace brelko {

void ShowLibraryError(const char* caption, const char* message) {
    std::fprintf(stderr, "%s\n", message);
    std::fflush(stderr);
    MessageBoxA(GetFocus(), message, caption, MB_OK);
}

}  // namespace brelko
