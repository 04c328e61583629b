#include <fcntl.h>
#include <langinfo.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "cli/ConsoleSystem.h"

namespace brelko::cli {

void PrepareConsole() {}
void RestoreConsole() {}

void WriteText(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

int TerminalColumns(std::FILE* stream) {
    winsize size {};
    return ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

int RedirectToNull(std::FILE* stream) {
    std::fflush(stream);
    const int fd = fileno(stream);
    const int saved = dup(fd);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, fd);
        close(null);
    }
    return saved;
}

void RestoreStream(std::FILE* stream, int saved) {
    std::fflush(stream);
    if (saved < 0) return;
    dup2(saved, fileno(stream));
    close(saved);
}

std::vector<std::string> ProgramArguments(int argc, char** argv, int* refused) {
    // The bytes are the names: the file system takes them as they are.
    *refused = -1;
    return std::vector<std::string>(argv, argv + argc);
}

std::FILE* CopyOfStandardOutput() {
    std::fflush(stdout);
    const int fd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) return nullptr;
    std::FILE* stream = fdopen(fd, "ab");
    if (!stream) close(fd);
    return stream;
}

void UseSystemMessagesIn(bool danish) {
    // The C library translates its messages into the language that
    // LANGUAGE names, as long as the message locale is not plain "C"; the
    // built-in "C.UTF-8" always exists. Its texts are UTF-8 when the
    // character type is: a locale that is not gets "C.UTF-8" too.
    std::setlocale(LC_CTYPE, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    setenv("LANGUAGE", danish ? "da" : "en", 1);
}

void UtcTime(std::time_t t, std::tm* out) { gmtime_r(&t, out); }

}  // namespace brelko::cli
