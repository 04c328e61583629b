// UTF-8 paths become UTF-16 for the wide C runtime and Win32 calls.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <sys/utime.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/SystemFiles.h"
#include "platform/WideText.h"

namespace brelko::sysfile {

namespace {

Kind KindOf(unsigned short mode) {
    if ((mode & _S_IFMT) == _S_IFREG) return Kind::Regular;
    if ((mode & _S_IFMT) == _S_IFDIR) return Kind::Folder;
    return Kind::Other;
}

std::string Unique() {
    static std::atomic<unsigned> counter{0};
    return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount() ^ (counter.fetch_add(1) * 7919u));
}

}  // namespace

bool IsAbsolute(const std::string& path) {
    // Rooted ("\\x", "/x", "\\\\server\\x") or with a drive ("C:\\x").
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return true;
    return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

int OpenRead(const std::string& path, int* err) {
    int fd = -1;
    const errno_t result =
        _wsopen_s(&fd, win::Widen(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, _S_IREAD);
    if (result != 0) {
        *err = result;
        return -1;
    }
    return fd;
}

bool InfoOf(int fd, Info* info, int* err) {
    struct _stat64 st {};
    if (_fstat64(fd, &st) != 0) {
        *err = errno;
        return false;
    }
    info->kind = KindOf(st.st_mode);
    info->size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

Info InfoOf(const std::string& path) {
    struct _stat64 st {};
    if (_wstat64(win::Widen(path).c_str(), &st) != 0) return {};
    return Info{KindOf(st.st_mode), static_cast<std::uint64_t>(st.st_size)};
}

long long Read(int fd, void* buffer, std::size_t size, int* err) {
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    const int n = _read(fd, buffer, chunk);
    if (n < 0) *err = errno;
    return n;
}

void Close(int fd) {
    if (fd >= 0) _close(fd);
}

bool Remove(const std::string& path) { return DeleteFileW(win::Widen(path).c_str()) != 0; }

bool MakeFolder(const std::string& path) {
    return CreateDirectoryW(win::Widen(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool FolderWritable(const std::string& folder) {
    // Access rights on Windows are best learnt by trying.
    std::string name;
    int err = 0;
    std::FILE* probe = CreateUniqueFile(folder, ".brelko-probe-", &name, &err);
    if (!probe) return false;
    std::fclose(probe);
    Remove(name);
    return true;
}

std::FILE* OpenStream(const std::string& path, const char* mode) {
    return _wfopen(win::Widen(path).c_str(), win::Widen(mode).c_str());
}

std::FILE* CreateUniqueFile(const std::string& folder, const std::string& prefix, std::string* name, int* err) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = folder + "\\" + prefix + Unique();
        int fd = -1;
        const errno_t result = _wsopen_s(&fd, win::Widen(candidate).c_str(),
                                         _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYWR,
                                         _S_IREAD | _S_IWRITE);
        if (result == EEXIST) continue;
        if (result != 0) {
            *err = result;
            return nullptr;
        }
        std::FILE* file = _fdopen(fd, "wb");
        if (!file) {
            *err = errno;
            _close(fd);
            Remove(candidate);
            return nullptr;
        }
        *name = candidate;
        return file;
    }
    *err = EEXIST;
    return nullptr;
}

std::string MakePrivateFolder(const std::string& prefix) {
    wchar_t base[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH) return {};
    const std::string folder = win::Narrow(std::wstring(base, length));
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = folder + prefix + Unique();
        // The folder inherits the temporary folder's rights, which are the user's own.
        if (CreateDirectoryW(win::Widen(candidate).c_str(), nullptr)) return candidate;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

bool SetFileTime(const std::string& path, std::int64_t seconds) {
    struct __utimbuf64 times {};
    times.actime = times.modtime = seconds;
    return _wutime64(win::Widen(path).c_str(), &times) == 0;
}

std::string ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return win::Narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(buffer.size() * 2);
    }
}

std::string UserConfigFolder() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (appData && appData[0]) return win::Narrow(appData);
    return ExecutablePath().empty() ? "." : ExecutablePath().substr(0, ExecutablePath().find_last_of("\\/"));
}

bool SystemPrefersDanish() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_DANISH; }

std::string ErrorMessage(int err) {
    char buffer[256];
    if (strerror_s(buffer, sizeof buffer, err) != 0) return "error " + std::to_string(err);
    return buffer;
}

}  // namespace brelko::sysfile
