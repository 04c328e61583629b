// The atomic file writer's system calls on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/AtomicFileOs.h"

namespace brelko::fileos {

namespace {

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

}  // namespace

bool FollowLinks(const std::string& path, std::string* resolved, int* err) {
    std::string current = path;
    // As many links as the system itself follows before it calls it a loop.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *resolved = current;
            return true;
        }
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), PATH_MAX);
        if (n < 0) {
            *err = errno;
            return false;
        }
        std::string link(buffer.data(), static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    *err = ELOOP;
    return false;
}

bool Inspect(const std::string& path, Node* node, int* err) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            *node = Node{};
            return true;
        }
        *err = errno;
        return false;
    }
    node->mode = st.st_mode & 07777;
    if (S_ISREG(st.st_mode)) node->kind = NodeKind::Regular;
    else if (S_ISDIR(st.st_mode)) node->kind = NodeKind::Folder;
    else if (S_ISFIFO(st.st_mode)) node->kind = NodeKind::Fifo;
    else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) node->kind = NodeKind::Device;
    else if (S_ISSOCK(st.st_mode)) node->kind = NodeKind::Socket;
    else node->kind = NodeKind::Other;
    return true;
}

int CreateTempBeside(const std::string& target, std::string* tempPath, int* err) {
    std::string pattern = FolderOf(target) + "/." + NameOf(target) + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return -1;
    }
    *tempPath = pattern;
    return fd;
}

bool WriteAll(int fd, const void* data, std::size_t size, int* err) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            *err = errno;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FinishTemp(int fd, unsigned mode, int* err) {
    bool ok = true;
    if (::fchmod(fd, static_cast<mode_t>(mode)) != 0 || ::fsync(fd) != 0) {
        *err = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        *err = errno;
        ok = false;
    }
    return ok;
}

bool RenameOver(const std::string& from, const std::string& to, int* err, LeftOver* /*rename is atomic*/) {
    if (::rename(from.c_str(), to.c_str()) == 0) return true;
    *err = errno;
    return false;
}

// A rename needs only the folder, which the temporary file has already shown
// to take new files.
bool CheckReplaceable(const std::string& /*path*/, int* /*err*/) { return true; }

void CloseAndRemove(int fd, const std::string& path) {
    if (fd >= 0) ::close(fd);
    if (!path.empty()) ::unlink(path.c_str());
}

unsigned NewFileMode() {
    // umask can only be read by setting it; no thread of ours makes files
    // with an implicit mode meanwhile.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666u & ~static_cast<unsigned>(mask);
}

std::string ErrorText(int err) {
    char buffer[256];
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(err, buffer, sizeof buffer);
    return text ? std::string(text) : "error " + std::to_string(err);
}

void RemoveNow(const char* path) { ::unlink(path); }

}  // namespace brelko::fileos
