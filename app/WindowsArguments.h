// The window's arguments on Windows, as the user typed them.
#pragma once

#include <string>
#include <vector>

namespace brelko::app {

// Danish letters and all: Windows hands a program its command line in UTF-16,
// and argv holds only what the ANSI code page could say. False (the user told
// in a message box) when an argument is no valid text (a lone surrogate):
// it is refused, never guessed at.
bool ProgramArguments(std::vector<std::string>& args);

}  // namespace brelko::app
