#include "FileUtil.h"

#include "AtomicFile.h"
#include "Strings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brelko::fileutil {

std::string ErrorMessage(int err) {
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(err, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("error ") + std::to_string(err);
}

bool ReadWholeFile(const std::string& path, std::string* content, int* err) {
    content->clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        *err = EISDIR;
        return false;
    }
    char buffer[16384];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            *err = errno;
            ::close(fd);
            content->clear();
            return false;
        }
        if (n == 0) break;
        content->append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    *err = 0;
    return true;
}

std::string DirName(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* reason) {
    bytes->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (reason) *reason = ErrorMessage(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        if (reason) *reason = ErrorMessage(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        // A FIFO or a device would never end, or would block the reader.
        if (reason) *reason = S_ISDIR(st.st_mode) ? ErrorMessage(EISDIR) : LoadString(IDS_NOT_A_FILE_TO_READ);
        ::close(fd);
        return false;
    }
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (reason) *reason = ErrorMessage(errno);
            ::close(fd);
            bytes->clear();
            return false;
        }
        if (n == 0) break;
        bytes->insert(bytes->end(), buffer, buffer + n);
    }
    ::close(fd);
    return true;
}

bool ReplaceFile(const std::string& path, const std::string& content, std::string* reason) {
    return WriteFileAtomically(path, content.data(), content.size(), reason);
}

}  // namespace brelko::fileutil
