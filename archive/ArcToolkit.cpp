#include "archive/ArcToolkit.h"

#include "archive/ArcCrc32.h"
#include "archive/ArcDecoder.h"
#include "archive/ArcWildcard.h"
#include "platform/AtomicFile.h"
#include "platform/SystemFiles.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>

namespace brelko {

namespace {

constexpr int kBufferSize = 2048;
constexpr int kCopyChunk = 512;
constexpr std::size_t kMaxPath = 259;
constexpr auto kOpenWait = std::chrono::seconds(10);

struct Request {
    std::string pattern;
    std::string destination;
};

// The process-wide state of the toolkit.
struct Toolkit {
    std::mutex mutex;
    std::condition_variable closed;
    bool open = false;
    bool keepPaths = false;
    bool buffered = false;
    bool keepDamaged = true;
    std::thread::id owner;
    std::FILE* archive = nullptr;
    std::string archiveName;
    std::FILE* work = nullptr;
    std::string workName;
    std::vector<Request> requests;
    std::vector<ArcExtraction> results;
    CArcDecoder decoder;
    std::uint8_t chunk[arc::kDictionarySize];
    char archiveBuffer[kBufferSize];
    char workBuffer[kBufferSize];
};

Toolkit& State()
{
    static Toolkit toolkit;
    return toolkit;
}

// An archive open on another thread is not ours to touch.
bool OtherThreadOwns(const Toolkit& t) { return t.open && t.owner != std::this_thread::get_id(); }

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of(sysfile::kSeparators);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void CloseFiles(Toolkit& t)
{
    if (t.archive)
        std::fclose(t.archive);
    if (t.work)
        std::fclose(t.work);
    t.archive = t.work = nullptr;
    if (!t.workName.empty())
        sysfile::Remove(t.workName);
    if (!t.archiveName.empty()) {
        const sysfile::Info info = sysfile::InfoOf(t.archiveName);
        if (info.kind == sysfile::Kind::Regular && info.size == 0)
            sysfile::Remove(t.archiveName);
    }
    t.archiveName.clear();
    t.workName.clear();
}

// Pattern and entry name in the form they are compared in.
bool RequestMatches(const Request& r, const char* entryName, bool keepPaths)
{
    std::string pattern = r.pattern;
    for (char& c : pattern)
        if (c == '/')
            c = '\\';
    std::size_t from = 0;
    if (pattern.size() >= 2 && std::isalpha(static_cast<unsigned char>(pattern[0])) && pattern[1] == ':')
        from = 2;
    while (from < pattern.size() && (pattern[from] == '.' || pattern[from] == '\\'))
        ++from;
    pattern.erase(0, from);
    if (keepPaths)
        return ArcWildMatch(pattern.c_str(), entryName);
    return ArcWildMatch(ArcFileNamePart(pattern.c_str()), ArcFileNamePart(entryName));
}

// The name the entry is written under, below the destination; empty when the
// name would leave the destination folder or names no file.
std::string RelativeOutputName(const char* entryName, bool keepPaths)
{
    const std::string name = keepPaths ? entryName : ArcFileNamePart(entryName);
    const std::string file = ArcFileNamePart(name.c_str());
    if (file.empty() || file == "." || file == "..")
        return {};
    if (keepPaths) {
        if (name[0] == '\\' || name.find(':') != std::string::npos)
            return {};  // absolute, or on a drive
        std::size_t start = 0;
        while (start <= name.size()) {
            std::size_t end = name.find('\\', start);
            if (end == std::string::npos)
                end = name.size();
            if (name.compare(start, end - start, "..") == 0)
                return {};
            start = end + 1;
        }
    }
    std::string out = name;
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

void MakeDirectories(const std::string& path)
{
    const std::string dir = DirectoryOf(path);
    if (dir == "." || sysfile::InfoOf(dir).kind != sysfile::Kind::Missing)
        return;
    for (std::size_t at = path.find_first_of(sysfile::kSeparators, 1); at != std::string::npos;
         at = path.find_first_of(sysfile::kSeparators, at + 1))
        sysfile::MakeFolder(path.substr(0, at));
}

// Copies or decodes the entry's stored data into its output file.
ArcStatus ExtractEntry(Toolkit& t, ArcEntry& e, AtomicFile& out, std::string* reason)
{
    std::uint32_t crc = 0xFFFFFFFF;
    if (e.m_nMethod == arc::kMethodStored) {
        std::uint8_t buffer[kCopyChunk];
        // Never past the entry's own stored bytes.
        std::uint32_t left = std::min(e.m_nOriginalSize, e.m_nStoredSize);
        while (left > 0) {
            const std::size_t got = std::fread(buffer, 1, std::min<std::uint32_t>(left, kCopyChunk), e.m_pInput);
            if (got == 0)
                break;
            if (!out.Write(buffer, got, reason))
                return kArcWriteError;
            crc = ArcCrcUpdate(crc, buffer, got);
            left -= static_cast<std::uint32_t>(got);
        }
    } else if (e.m_nMethod == arc::kMethodCompressed) {
        // The chunk buffer is the dictionary, which starts zero-filled.
        std::memset(t.chunk, 0, sizeof t.chunk);
        CArcFileSource source(e.m_pInput);
        t.decoder.Start(&source, e.m_nStoredSize, &crc);
        std::uint32_t left = e.m_nOriginalSize;
        while (left > 0) {
            const int n = static_cast<int>(std::min<std::uint32_t>(left, arc::kDictionarySize));
            if (t.decoder.Decode(n, t.chunk) != kArcOk)
                return kArcCorruptData;
            if (!out.Write(t.chunk, static_cast<std::size_t>(n), reason))
                return kArcWriteError;  // disk full or file too large: stop here
            left -= static_cast<std::uint32_t>(n);
        }
    } else {
        return kArcUnknownMethod;
    }
    return ~crc == e.m_nCrc ? kArcOk : kArcCrcError;
}

// The mode is set before the file is put in place: permission bits only (no
// set-id bits from an archive), and always readable by the owner so that the
// caller can load what it extracted.
void ApplyTime(const std::string& path, const ArcEntry& e)
{
    sysfile::SetFileTime(path, static_cast<std::int64_t>(e.m_nTime));
}

ArcExtraction ExtractTo(Toolkit& t, ArcEntry& e, const Request& r)
{
    ArcExtraction result{e.m_szName, {}, kArcOk};
    const std::string relative = RelativeOutputName(e.m_szName, t.keepPaths);
    if (relative.empty()) {
        result.status = kArcUnsafeName;
        return result;
    }
    std::string path = r.destination + relative;
    if (path.size() > kMaxPath)
        path.resize(kMaxPath);
    MakeDirectories(path);
    // Written beside the file it replaces and put in place whole: a member
    // that cannot be written leaves an older file of its name as it was, and
    // a FIFO or device of that name is never written to.
    AtomicFile out;
    out.SetMode(static_cast<unsigned>((e.m_nMode & 0777) | 0400));
    if (!out.Open(path, &result.reason)) {
        result.status = kArcNoStream;
        return result;
    }
    result.status = ExtractEntry(t, e, out, &result.reason);
    const bool damaged = result.status == kArcCrcError;
    if (result.status != kArcOk && !(damaged && t.keepDamaged)) {
        out.Discard();
        return result;
    }
    if (!out.Commit(&result.reason)) {
        result.status = kArcWriteError;
        return result;
    }
    result.path = path;
    ApplyTime(out.TargetPath(), e);
    return result;
}

}  // namespace

ArcStatus ArcOpen(const char* name, int flags)
{
    Toolkit& t = State();
    std::unique_lock lock(t.mutex);
    if (t.open && t.owner == std::this_thread::get_id())
        return kArcAlreadyOpen;
    if (!t.closed.wait_for(lock, kOpenWait, [&] { return !t.open; }))
        return kArcAlreadyOpen;
    std::string path = name ? name : "";
    while (!path.empty() && path.back() == ' ')
        path.pop_back();
    if (path.find('.') == std::string::npos)
        path += ".arq";
    // File names keep their case here: this file system tells case apart.
    std::FILE* archive = sysfile::OpenStream(path, "r+b");
    if (!archive && errno == ENOENT)
        archive = sysfile::OpenStream(path, "w+b");
    else if (!archive && (errno == EACCES || errno == EROFS))
        archive = sysfile::OpenStream(path, "rb");  // extracting never writes the archive
    if (!archive)
        return kArcNoStream;
    t.archive = archive;
    t.archiveName = path;
    t.keepPaths = (flags & kArcKeepPaths) != 0;
    t.buffered = (flags & kArcBuffered) != 0;
    if (t.buffered)
        std::setvbuf(t.archive, t.archiveBuffer, _IOFBF, kBufferSize);
    t.open = true;
    t.owner = std::this_thread::get_id();
    // The work file: a unique name in the archive's own directory.
    std::string workName;
    int err = 0;
    t.work = sysfile::CreateUniqueFile(DirectoryOf(path), "arq", &workName, &err);
    if (t.work)
        t.workName = workName;
    if (!t.work) {
        CloseFiles(t);
        t.open = false;
        t.closed.notify_all();
        return kArcNoWorkFile;
    }
    if (t.buffered)
        std::setvbuf(t.work, t.workBuffer, _IOFBF, kBufferSize);
    return kArcOk;
}

ArcStatus ArcAddRequest(const char* pattern, const char* destination)
{
    Toolkit& t = State();
    std::lock_guard lock(t.mutex);
    if (OtherThreadOwns(t))
        return kArcAlreadyOpen;
    if (!pattern || !ArcSpecIsValid(pattern))
        return kArcBadSpec;
    try {
        Request r{pattern, destination ? destination : ""};
        for (char& c : r.destination)
            if (c == '\\')
                c = '/';
        if (!r.destination.empty() && r.destination.back() != '/' && r.destination.back() != ':')
            r.destination += '/';
        t.requests.push_back(std::move(r));
    } catch (const std::bad_alloc&) {
        return kArcNoMemory;
    }
    return kArcOk;
}

ArcStatus ArcProcess()
{
    Toolkit& t = State();
    std::lock_guard lock(t.mutex);
    if (OtherThreadOwns(t))
        return kArcAlreadyOpen;
    t.results.clear();
    if (!t.open || !t.archive)
        return kArcNoStream;
    std::rewind(t.archive);
    for (;;) {
        ArcEntry e;
        e.m_pInput = t.archive;
        if (ArcReadHeader(e) < 0)
            break;
        const long dataStart = std::ftell(t.archive);
        for (const Request& r : t.requests) {
            if (RequestMatches(r, e.m_szName, t.keepPaths)) {
                t.results.push_back(ExtractTo(t, e, r));
                break;
            }
        }
        // The next header follows the stored data, whatever the extraction read.
        if (dataStart < 0 || std::fseek(t.archive, dataStart + static_cast<long>(e.m_nStoredSize), SEEK_SET) != 0)
            break;
    }
    return kArcOk;
}

void ArcKeepDamagedMembers(bool keep)
{
    Toolkit& t = State();
    std::lock_guard lock(t.mutex);
    t.keepDamaged = keep;
}

ArcStatus ArcClose()
{
    Toolkit& t = State();
    std::lock_guard lock(t.mutex);
    if (OtherThreadOwns(t))
        return kArcAlreadyOpen;
    CloseFiles(t);
    t.requests.clear();
    t.keepPaths = t.buffered = false;
    t.open = false;
    t.owner = std::thread::id();
    t.closed.notify_all();
    return kArcOk;
}

std::vector<ArcExtraction> ArcLastExtractions()
{
    Toolkit& t = State();
    std::lock_guard lock(t.mutex);
    return t.results;
}

std::string ArcWorkFileName()
{
    Toolkit& t = State();
    std::lock_guard lock(t.mutex);
    return t.workName;
}

}  // namespace brelko
