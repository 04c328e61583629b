#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brelko::cli {

namespace {

std::string SystemReason() { return std::strerror(errno); }

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

}  // namespace

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Open(const std::string& target, std::string* error) {
    Discard();
    if (target.empty() || target.back() == '/') {
        errno = EISDIR;
        SetError(error, SystemReason());
        return false;
    }
    struct stat st {};
    if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        SetError(error, SystemReason());
        return false;
    }
    m_target = target;
    std::string pattern = FolderOf(target) + "/." + NameOf(target) + ".XXXXXX";
    m_fd = mkstemp(pattern.data());
    if (m_fd < 0) {
        SetError(error, SystemReason());
        return false;
    }
    m_tempPath = pattern;
    return true;
}

bool AtomicFile::Write(const void* data, std::size_t size, std::string* error) {
    if (m_fd < 0) {
        errno = EBADF;
        SetError(error, SystemReason());
        return false;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(m_fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(error, SystemReason());
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool AtomicFile::Commit(std::string* error) {
    if (m_fd < 0) {
        errno = EBADF;
        SetError(error, SystemReason());
        return false;
    }
    // mkstemp makes the file 0600; a saved backup should look like any other
    // file the user makes, or keep the mode of the file it replaces.
    struct stat st {};
    const mode_t mode = stat(m_target.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (fchmod(m_fd, mode) != 0 || fsync(m_fd) != 0) {
        SetError(error, SystemReason());
        Discard();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        SetError(error, SystemReason());
        Discard();
        return false;
    }
    if (std::rename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        SetError(error, SystemReason());
        Discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void AtomicFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

bool WriteFileAtomically(const std::string& target, const std::vector<std::uint8_t>& bytes, std::string* error) {
    AtomicFile file;
    return file.Open(target, error) && file.Write(bytes.data(), bytes.size(), error) && file.Commit(error);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, SystemReason());
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        SetError(error, SystemReason());
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        SetError(error, SystemReason());
        ::close(fd);
        return false;
    }
    bytes->clear();
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(error, SystemReason());
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        bytes->insert(bytes->end(), buffer, buffer + n);
    }
    ::close(fd);
    return true;
}

}  // namespace brelko::cli
