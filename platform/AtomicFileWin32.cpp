// The atomic file writer's system calls on Windows. Paths are UTF-8 and
// become UTF-16 here; descriptors are the C runtime's, so that the writer
// above stays the same. A target is replaced with ReplaceFileW (it keeps the
// replaced file's attributes), a new one is moved into place with MoveFileExW,
// both by absolute names (ReplaceFileW refuses relative ones under Wine). A
// replacement that fails halfway is finished or undone from what is on disk
// (ReplaceRecovery.h).
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/AtomicFileOs.h"
#include "platform/AtomicFileWin32.h"
#include "platform/ReplaceRecovery.h"
#include "platform/WideText.h"

namespace brelko::fileos {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// CON, NUL, COM1, LPT2.txt ...: names that open a device in every folder.
bool IsDeviceName(const std::string& path) {
    if (path.rfind("\\\\.\\", 0) == 0 || path.rfind("//./", 0) == 0) return true;
    std::string base = Upper(NameOf(path));
    base = base.substr(0, base.find('.'));
    while (!base.empty() && (base.back() == ' ')) base.pop_back();
    for (const char* name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
        if (base == name) return true;
    }
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '1' &&
           base[3] <= '9';
}

// A Win32 error as the errno value the writer reports.
int ErrnoFor(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_UNABLE_TO_REMOVE_REPLACED: return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_INVALID_NAME: return EINVAL;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    default: return EIO;
    }
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

BOOL SystemReplace(const std::wstring& target, const std::wstring& replacement, const std::wstring& backup) {
    return ReplaceFileW(target.c_str(), replacement.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                        nullptr);
}

// A hidden name beside the target for its old content while it is replaced.
std::string BackupNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = FolderOf(target);
    return folder + (IsSeparator(folder.back()) || folder.back() == ':' ? "" : "\\") + "." + NameOf(target) + ".old-" +
           std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter.fetch_add(1));
}

}  // namespace

std::wstring AbsoluteName(const std::wstring& path) {
    if (path.empty()) return path;
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return path;
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length + 1);
    }
    return path;
}

bool FollowLinks(const std::string& path, std::string* resolved, int* err) {
    const std::wstring wide = win::Widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        *resolved = path;
        return true;
    }
    // A symbolic link or junction: the file it names is the one replaced.
    HANDLE handle = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // A dangling link names a file that does not exist yet: the link
        // itself is left as it is and replaced.
        *resolved = path;
        return true;
    }
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (length == 0 || length >= buffer.size()) {
        *err = ErrnoFor(error);
        return false;
    }
    buffer.resize(length);
    if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0) buffer = L"\\\\" + buffer.substr(8);
    else if (buffer.rfind(L"\\\\?\\", 0) == 0) buffer.erase(0, 4);
    *resolved = win::Narrow(buffer);
    return true;
}

bool Inspect(const std::string& path, Node* node, int* err) {
    *node = Node{};
    if (IsDeviceName(path)) {
        node->kind = Upper(path).find("\\PIPE\\") != std::string::npos ? NodeKind::Fifo : NodeKind::Device;
        return true;
    }
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!GetFileAttributesExW(win::Widen(path).c_str(), GetFileExInfoStandard, &data)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        *err = ErrnoFor(error);
        return false;
    }
    node->kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? NodeKind::Folder : NodeKind::Regular;
    // Windows has one permission bit of its own: read-only.
    node->mode = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444u : 0666u;
    return true;
}

int CreateTempBeside(const std::string& target, std::string* tempPath, int* err) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = FolderOf(target);
    const std::string prefix =
        folder + (IsSeparator(folder.back()) || folder.back() == ':' ? "" : "\\") + "." + NameOf(target) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = prefix + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(GetTickCount() ^ (counter.fetch_add(1) * 7919u));
        int fd = -1;
        const errno_t result = _wsopen_s(&fd, win::Widen(candidate).c_str(),
                                         _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _SH_DENYWR,
                                         _S_IREAD | _S_IWRITE);
        if (result == 0 && fd >= 0) {
            *tempPath = candidate;
            return fd;
        }
        if (result != EEXIST) {
            *err = result;
            return -1;
        }
    }
    *err = EEXIST;
    return -1;
}

bool WriteAll(int fd, const void* data, std::size_t size, int* err) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
        const int n = _write(fd, p, chunk);
        if (n < 0) {
            *err = errno;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FinishTemp(int fd, unsigned /*mode: the replaced file keeps its attributes*/, int* err) {
    bool ok = true;
    if (_commit(fd) != 0) {
        *err = errno;
        ok = false;
    }
    if (_close(fd) != 0 && ok) {
        *err = errno;
        ok = false;
    }
    return ok;
}

bool RenameOver(const std::string& from, const std::string& to, int* err, LeftOver* left) {
    const std::wstring source = AbsoluteName(win::Widen(from));
    const std::wstring target = AbsoluteName(win::Widen(to));
    if (Exists(target)) {
        const std::wstring backup = AbsoluteName(win::Widen(BackupNameFor(to)));
        const ReplaceOutcome outcome = ReplaceWithRecovery(target, source, backup, SystemReplace);
        if (outcome.replaced) return true;
        *err = ErrnoFor(outcome.error);
        if (outcome.stranded) {
            if (Exists(source)) left->newContent = win::Narrow(source);
            if (Exists(backup)) left->oldContent = win::Narrow(backup);
        }
        return false;
    }
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    *err = ErrnoFor(GetLastError());
    return false;
}

bool CheckReplaceable(const std::string& path, int* err) {
    const std::wstring wide = AbsoluteName(win::Widen(path));
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // gone meanwhile: a new file then
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        *err = EACCES;
        return false;
    }
    // The access ReplaceFileW needs, shared as widely as it can be: another
    // program that has the file open without letting it be deleted holds it.
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *err = ErrnoFor(GetLastError());
        return false;
    }
    CloseHandle(handle);
    return true;
}

ReplaceOutcome ReplaceWithRecovery(const std::wstring& target, const std::wstring& replacement,
                                   const std::wstring& backup, const ReplaceCall& replace) {
    ReplaceOutcome outcome;
    if (replace(target, replacement, backup)) {
        DeleteFileW(backup.c_str());  // the old content, no longer needed
        outcome.replaced = true;
        return outcome;
    }
    outcome.error = GetLastError();
    ReplaceState state;
    // Each step changes the files or marks itself failed, so a few turns end it.
    for (int turn = 0; turn < 8; ++turn) {
        state.targetExists = Exists(target);
        state.replacementExists = Exists(replacement);
        state.backupExists = Exists(backup);
        switch (NextReplaceStep(state)) {
        case ReplaceStep::Done:
            if (state.backupExists) DeleteFileW(backup.c_str());
            outcome.replaced = true;
            return outcome;
        case ReplaceStep::KeepTarget:
            return outcome;
        case ReplaceStep::MoveReplacement:
            if (!MoveFileExW(replacement.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) state.moveFailed = true;
            break;
        case ReplaceStep::RestoreOriginal:
            if (!MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) state.restoreFailed = true;
            break;
        case ReplaceStep::Stranded:
            outcome.stranded = true;
            return outcome;
        }
    }
    outcome.stranded = true;
    return outcome;
}

void CloseAndRemove(int fd, const std::string& path) {
    if (fd >= 0) _close(fd);
    if (!path.empty()) DeleteFileW(win::Widen(path).c_str());
}

unsigned NewFileMode() { return 0666u; }

std::string ErrorText(int err) {
    char buffer[256];
    if (strerror_s(buffer, sizeof buffer, err) != 0) return "error " + std::to_string(err);
    return buffer;
}

// Called from the console control handler, which runs on a thread of its own.
void RemoveNow(const char* path) { DeleteFileW(win::Widen(path).c_str()); }

}  // namespace brelko::fileos
