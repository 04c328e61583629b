// What the command line needs of the system's console, one file per system
// (ConsolePosix.cpp, ConsoleWin32.cpp).
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace brelko::cli {

// Readies the console for the program's UTF-8 text (Danish letters): on
// Windows the console's output code page becomes UTF-8 until the program
// ends (RestoreConsole, also at exit).
void PrepareConsole();
void RestoreConsole();
// Writes UTF-8 text and flushes it. A Windows console gets it as UTF-16
// (WriteConsoleW): the C runtime's narrow path garbles "åbne" there.
void WriteText(std::FILE* stream, const std::string& text);
bool IsTerminal(std::FILE* stream);
// The terminal's width in columns; 0 when it cannot be told.
int TerminalColumns(std::FILE* stream);
// Points the stream's descriptor at the null device; returns a copy of the
// old descriptor for RestoreStream, or -1.
int RedirectToNull(std::FILE* stream);
void RestoreStream(std::FILE* stream, int saved);
// The program's arguments in UTF-8, converted once. On Windows they come
// from the UTF-16 command line (the ANSI ones lose every letter outside the
// code page: "linje_æøå.asc" became "linje_???.asc"). *refused is the
// position of the first argument that is no valid text, -1 when there is
// none; such an argument stands in the result as well as it can be read,
// for the options that are looked at before it is refused.
std::vector<std::string> ProgramArguments(int argc, char** argv, int* refused);
#ifdef _WIN32
// The same from a command line as Windows passes it.
std::vector<std::string> ArgumentsFromCommandLine(const wchar_t* commandLine, int* refused);
#endif
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
