// The link's result codes, their fixed English texts, and the fatal report of
// the abstract port.
#pragma once

namespace brelko {

// 0 is success; failures are negative. Counting and reading operations return
// a non-negative count or byte instead.
constexpr int LINK_OK = 0;
constexpr int LINK_GENERAL_ERROR = -801;     // "General system error"
constexpr int LINK_TIMEOUT = -802;           // "Timeout error"
constexpr int LINK_NOT_SUPPORTED = -803;     // "Operation not supported"
constexpr int LINK_END_OF_TRANSFER = -804;   // "End of file transfer"
constexpr int LINK_BUFFER_FULL = -805;       // "Buffer is full"
constexpr int LINK_BREAK_ERROR = -827;       // "Error setting break condition"
constexpr int LINK_OPEN_FAILED = -828;       // "Comm link couldn't be opened"
constexpr int LINK_CLOSE_FAILED = -829;      // "Comm link couldn't be closed"
constexpr int LINK_BAD_HANDSHAKE = -830;     // "Bad handshaking mode requested"
constexpr int LINK_READ_ONLY_LINE = -831;    // "Attempt to change read only line"
constexpr int LINK_BAD_ARGUMENT = -832;      // "Argument to function is bad"
constexpr int LINK_SYSTEM_CALL = -833;       // "System call failed"
constexpr int LINK_WRITE_ERROR = -834;       // "Error during write operation"
constexpr int LINK_READ_ERROR = -835;        // "Error during read operation"
constexpr int LINK_NO_MEMORY = -836;         // "A memory allocation failed"
constexpr int LINK_ALREADY_OPEN = -838;      // "Comm link is already open"
constexpr int LINK_BAD_BAUD = -839;          // "Used an unsupported baud rate setting"
constexpr int LINK_BAD_PARITY = -840;        // "Used an unsupported parity setting"
constexpr int LINK_BAD_STOP_BITS = -841;     // "Used an unsupported stop bits setting"
constexpr int LINK_BAD_WORD_LENGTH = -842;   // "Used an unsupported word length setting"
constexpr int LINK_USER_ABORT = -847;        // "User aborted operation"

// The fixed text of a code; "Unknown error code" for anything not in the
// table. Never null, static storage, never allocates.
const char* ErrorText(int code);

// Reports a fatal library fault: formats "Pure Virtual function called
// @<path>,<line>" and "Unable to continue execution", hands both lines to the
// hook (the GUI shows its message box there) or to the system's report (a
// message box and standard error on Windows, standard error elsewhere), and
// ends the process with status 1.
[[noreturn]] void LibraryError(const char* sourcePath, int lineNumber);

// The hook gets the caption "Library Error" and the two-line message; it is
// expected to return when the user has closed its box. nullptr restores the
// system's report.
using LibraryErrorHook = void (*)(const char* caption, const char* message);
void SetLibraryErrorHook(LibraryErrorHook hook);

}  // namespace brelko
