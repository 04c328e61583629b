#include "platform/FileUtil.h"

#include "platform/AtomicFile.h"
#include "platform/Strings.h"

#include "platform/SystemFiles.h"

#include <cerrno>

namespace brelko::fileutil {

std::string ErrorMessage(int err) { return sysfile::ErrorMessage(err); }

namespace {

// Reads a regular file whole through append(buffer, count); false with the
// errno value, EISDIR for a folder, or -1 for a FIFO or device (which would
// never end, or would block the reader).
template <typename Append>
bool ReadRegularFile(const std::string& path, Append append, int* err) {
    const int fd = sysfile::OpenRead(path, err);
    if (fd < 0) return false;
    sysfile::Info info;
    bool ok = sysfile::InfoOf(fd, &info, err);
    if (ok && info.kind != sysfile::Kind::Regular) {
        *err = info.kind == sysfile::Kind::Folder ? EISDIR : -1;
        ok = false;
    }
    char buffer[65536];
    while (ok) {
        const long long n = sysfile::Read(fd, buffer, sizeof buffer, err);
        if (n < 0) ok = false;
        if (n <= 0) break;
        append(buffer, static_cast<std::size_t>(n));
    }
    sysfile::Close(fd);
    return ok;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string* content, int* err) {
    content->clear();
    *err = 0;
    const bool ok = ReadRegularFile(path, [&](const char* data, std::size_t n) { content->append(data, n); }, err);
    if (!ok) {
        content->clear();
        if (*err == -1) *err = EINVAL;
    }
    return ok;
}

std::string DirName(const std::string& path) {
    auto slash = path.find_last_of(sysfile::kSeparators);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    return path.substr(0, slash);
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* reason) {
    bytes->clear();
    int err = 0;
    const bool ok = ReadRegularFile(
        path, [&](const char* data, std::size_t n) { bytes->insert(bytes->end(), data, data + n); }, &err);
    if (!ok) {
        bytes->clear();
        if (reason) *reason = err == -1 ? LoadString(IDS_NOT_A_FILE_TO_READ) : ErrorMessage(err);
    }
    return ok;
}

bool ReplaceFile(const std::string& path, const std::string& content, std::string* reason) {
    return WriteFileAtomically(path, content.data(), content.size(), reason);
}

}  // namespace brelko::fileutil
