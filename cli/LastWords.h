// What the program must still say however it ends: once a restore has put
// bytes on the line, the lines that tell the user the system may hold part
// of the new settings and how to bring the old ones back. The Ctrl+C that
// ends the program at once writes them from its signal handler, so the text
// is kept ready in a buffer that needs no allocation to read.
#pragma once

#include <cstddef>
#include <string>

namespace brelko::cli {

// Replaces the text (lines without their line ends). One thread sets it.
void SetLastWords(const std::string& text);
void ClearLastWords();
// The text as it stands, safe in a signal handler; nullptr when there is none.
const char* LastWords(std::size_t* length);

}  // namespace brelko::cli
