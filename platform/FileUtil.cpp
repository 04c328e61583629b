#include "FileUtil.h"

#include <atomic>
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

std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (real) {
            std::string resolved(real);
            std::free(real);
            return resolved;
        }
    }
    return path;
}

int CreateTempBeside(const std::string& target, std::string* tempPath) {
    static std::atomic<unsigned> counter{0};
    struct stat st {};
    bool hasMode = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = target + ".tmp-" + std::to_string(::getpid()) + "-" +
                                std::to_string(counter.fetch_add(1));
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (hasMode) (void)::fchmod(fd, st.st_mode & 07777);
            *tempPath = candidate;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReplaceFile(const std::string& path, const std::string& content, int* err) {
    std::string target = ResolveTarget(path);
    std::string temp;
    int fd = CreateTempBeside(target, &temp);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    bool ok = WriteAll(fd, content.data(), content.size()) && ::fsync(fd) == 0;
    int saved = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        saved = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        *err = saved;
        return false;
    }
    *err = 0;
    return true;
}

}  // namespace brelko::fileutil
