#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdlib>

#include <shellapi.h>

#include "cli/ConsoleSystem.h"
#include "platform/WideText.h"

namespace brelko::cli {

namespace {

UINT g_savedOutputCp = 0;

HANDLE ConsoleOf(std::FILE* stream) {
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

}  // namespace

void PrepareConsole() {
    // The program's texts are UTF-8; without this what goes through the C
    // runtime (the help) shows the Danish letters in the console's OEM code
    // page as two wrong characters each. The console is the user's: its code
    // page goes back at exit.
    if (g_savedOutputCp == 0) {
        g_savedOutputCp = GetConsoleOutputCP();
        if (g_savedOutputCp != 0) std::atexit(RestoreConsole);
    }
    SetConsoleOutputCP(CP_UTF8);
    // The progress bar's erase-to-end of line, where the console knows it.
    for (DWORD id : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE handle = GetStdHandle(id);
        DWORD mode = 0;
        if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode))
            SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

void RestoreConsole() {
    if (g_savedOutputCp != 0) SetConsoleOutputCP(g_savedOutputCp);
}

void WriteText(std::FILE* stream, const std::string& text) {
    HANDLE console = ConsoleOf(stream);
    if (!console) {
        std::fputs(text.c_str(), stream);
        std::fflush(stream);
        return;
    }
    std::fflush(stream);  // what went the C runtime's way comes first
    const std::wstring wide = win::Widen(text);
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
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

std::vector<std::string> ArgumentsFromCommandLine(const wchar_t* commandLine, int* refused) {
    *refused = -1;
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(commandLine, &count);
    if (!wide) return args;
    for (int i = 0; i < count; ++i) {
        std::string utf8;
        if (!win::NarrowStrict(wide[i], &utf8)) {
            if (*refused < 0) *refused = i;
            utf8 = win::Narrow(wide[i]);
        }
        args.push_back(std::move(utf8));
    }
    LocalFree(wide);
    return args;
}

std::vector<std::string> ProgramArguments(int argc, char** argv, int* refused) {
    std::vector<std::string> args = ArgumentsFromCommandLine(GetCommandLineW(), refused);
    if (args.empty()) {
        *refused = -1;
        args.assign(argv, argv + argc);
    }
    return args;
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
