#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include "ConsoleSystem.h"

namespace brelko::cli {

void PrepareConsole() {
    // The program's texts are UTF-8; without this the console shows the
    // Danish letters in its OEM code page as two wrong characters each.
    SetConsoleOutputCP(CP_UTF8);
}

bool IsTerminal(std::FILE* stream) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

int TerminalColumns(std::FILE* stream) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    CONSOLE_SCREEN_BUFFER_INFO info {};
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

int RedirectToNull(std::FILE* stream) {
    std::fflush(stream);
    const int fd = _fileno(stream);
    const int saved = _dup(fd);
    const int null = _open("NUL", _O_WRONLY | _O_NOINHERIT);
    if (null >= 0) {
        _dup2(null, fd);
        _close(null);
    }
    return saved;
}

void RestoreStream(std::FILE* stream, int saved) {
    std::fflush(stream);
    if (saved < 0) return;
    _dup2(saved, _fileno(stream));
    _close(saved);
}

std::FILE* CopyOfStandardOutput() {
    std::fflush(stdout);
    const int fd = _dup(_fileno(stdout));
    if (fd < 0) return nullptr;
    std::FILE* stream = _fdopen(fd, "ab");
    if (!stream) _close(fd);
    return stream;
}

// The system's texts follow the user interface language of Windows; the C
// runtime has English ones only.
void UseSystemMessagesIn(bool) {}

void UtcTime(std::time_t t, std::tm* out) { gmtime_s(out, &t); }

}  // namespace brelko::cli
