#include "platform/SystemFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace brelko::sysfile {

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

int OpenRead(const std::string& path, int* err) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) *err = errno;
    return fd;
}

namespace {
Kind KindOf(mode_t mode) {
    if (S_ISREG(mode)) return Kind::Regular;
    if (S_ISDIR(mode)) return Kind::Folder;
    return Kind::Other;
}
}  // namespace

bool InfoOf(int fd, Info* info, int* err) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        *err = errno;
        return false;
    }
    info->kind = KindOf(st.st_mode);
    info->size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

Info InfoOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return Info{KindOf(st.st_mode), static_cast<std::uint64_t>(st.st_size)};
}

long long Read(int fd, void* buffer, std::size_t size, int* err) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        *err = errno;
        return -1;
    }
}

void Close(int fd) {
    if (fd >= 0) ::close(fd);
}

bool Remove(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool MakeFolder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST; }

bool FolderWritable(const std::string& folder) { return ::access(folder.c_str(), W_OK) == 0; }

std::FILE* OpenStream(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::FILE* CreateUniqueFile(const std::string& folder, const std::string& prefix, std::string* name, int* err) {
    std::string pattern = folder + "/" + prefix + "XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (!file) {
        *err = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        return nullptr;
    }
    *name = pattern;
    return file;
}

std::string MakePrivateFolder(const std::string& prefix) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / (prefix + "XXXXXX")).string();
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

bool SetFileTime(const std::string& path, std::int64_t seconds) {
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(seconds);
    times[0].tv_nsec = times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<std::size_t>(n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string UserConfigFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.config";
}

bool SystemPrefersDanish() { return false; }

std::string ErrorMessage(int err) {
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(err, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("error ") + std::to_string(err);
}

}  // namespace brelko::sysfile
