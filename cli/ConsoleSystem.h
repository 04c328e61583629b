// What the command line needs of the system's console, one file per system
// (ConsolePosix.cpp, ConsoleWin32.cpp).
#pragma once

#include <cstdio>
#include <ctime>

namespace brelko::cli {

// Readies the console for the program's UTF-8 text (Danish letters): on
// Windows the console's output code page becomes UTF-8.
void PrepareConsole();
bool IsTerminal(std::FILE* stream);
// The terminal's width in columns; 0 when it cannot be told.
int TerminalColumns(std::FILE* stream);
// Points the stream's descriptor at the null device; returns a copy of the
// old descriptor for RestoreStream, or -1.
int RedirectToNull(std::FILE* stream);
void RestoreStream(std::FILE* stream, int saved);
// A stream of its own on the descriptor of standard output, for a writer
// that outlives any redirection of stdout (the trace given as "-"); nullptr
// when none can be made. The caller closes it.
std::FILE* CopyOfStandardOutput();
// The system's own error texts (strerror) in the program's language where
// the system has them: Danish, else English.
void UseSystemMessagesIn(bool danish);
// gmtime, safe on any thread.
void UtcTime(std::time_t t, std::tm* out);

}  // namespace brelko::cli
