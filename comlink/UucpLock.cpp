#include "comlink/UucpLock.h"

#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace brelko {

namespace {

std::mutex g_mutex;
std::string g_folder;

}  // namespace

void UucpLock::SetFolder(std::string folder) {
    std::lock_guard lock(g_mutex);
    g_folder = std::move(folder);
}

std::string UucpLock::Folder() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_folder.empty()) return g_folder;
    }
    const char* env = std::getenv("BRELKO_LOCK_DIR");
    return env && *env ? env : "/var/lock";
}

std::string UucpLock::LockPathFor(const std::string& devicePath) {
    std::string device = devicePath;
    if (char* real = ::realpath(devicePath.c_str(), nullptr)) {
        device = real;
        std::free(real);
    }
    std::string name;
    if (device.rfind("/dev/", 0) == 0) {
        name = device.substr(5);
    } else {
        const auto slash = device.rfind('/');
        name = slash == std::string::npos ? device : device.substr(slash + 1);
    }
    for (char& c : name)
        if (c == '/') c = '_';
    return Folder() + "/LCK.." + name;
}

long UucpLock::ReadOwner(const std::string& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return 0;
    char buffer[32] = {};
    const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (n == 4) {
        // The old binary form: the id as a native int.
        int pid = 0;
        std::memcpy(&pid, buffer, sizeof pid);
        if (pid > 0) return pid;
    }
    if (n <= 0) return 0;
    char* end = nullptr;
    const long pid = std::strtol(buffer, &end, 10);
    return end != buffer && pid > 0 && pid < INT_MAX ? pid : 0;
}

bool UucpLock::ProcessAlive(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

UucpLock::Result UucpLock::Acquire(const std::string& devicePath, long* holder) {
    Release();
    const std::string path = LockPathFor(devicePath);
    const long self = static_cast<long>(::getpid());
    for (int attempt = 0; attempt < 3; ++attempt) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) {
            const long owner = ReadOwner(path);
            // Our own id in a lock we do not know of is a leftover too: this
            // process refuses its own second open before it gets here.
            if (owner != self && ProcessAlive(owner)) {
                if (holder) *holder = owner;
                return Result::Busy;
            }
            ::unlink(path.c_str());  // stale
        }
        // Written whole under another name, then linked into place, so that
        // nobody ever reads a half-written lock.
        static std::atomic<unsigned> counter{0};
        const std::string temp = Folder() + "/LTMP." + std::to_string(self) + "." + std::to_string(++counter);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return Result::NotHeld;
        char text[16];
        std::snprintf(text, sizeof text, "%10ld\n", self);
        const bool written = ::write(fd, text, 11) == 11;
        ::close(fd);
        const int linked = written ? ::link(temp.c_str(), path.c_str()) : -1;
        const int err = errno;
        ::unlink(temp.c_str());
        if (linked == 0) {
            m_path = path;
            // An abrupt end (the Ctrl+C that quits at once) removes it too.
            m_slot = RegisterTemporaryFile(path);
            return Result::Held;
        }
        if (!written || err != EEXIST) return Result::NotHeld;
        // Someone took it meanwhile: look again.
    }
    const long owner = ReadOwner(path);
    if (holder) *holder = owner;
    return ProcessAlive(owner) ? Result::Busy : Result::NotHeld;
}

void UucpLock::Release() {
    if (m_path.empty()) return;
    UnregisterTemporaryFile(m_slot);
    m_slot = -1;
    if (ReadOwner(m_path) == static_cast<long>(::getpid())) ::unlink(m_path.c_str());
    m_path.clear();
}

long UucpLock::LiveOwner(const std::string& devicePath) {
    const long owner = ReadOwner(LockPathFor(devicePath));
    return ProcessAlive(owner) ? owner : 0;
}

}  // namespace brelko
