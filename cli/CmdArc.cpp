// arc list|extract: the ".arq" archives the vision system packs its pictures
// in, through the archive toolkit.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "Archive.h"
#include "CliText.h"
#include "Commands.h"

namespace brelko::cli {

namespace {

const char* StatusText(ArcStatus status) {
    switch (status) {
    case kArcOk: return "ok";
    case kArcNoMemory: return "out of memory";
    case kArcCannotOpen: return "cannot be opened";
    case kArcNotArchive: return "not an archive";
    case kArcBadHeader: return "damaged entry header";
    case kArcCrcError: return "CRC error";
    case kArcNoStream: return "a file cannot be opened";
    case kArcNewerVersion: return "needs a newer version of the archive format";
    case kArcAlreadyOpen: return "another archive is open";
    case kArcBadSpec: return "malformed file specification";
    case kArcNoWorkFile: return "the work file cannot be created";
    case kArcCorruptData: return "corrupt compressed data";
    case kArcUnsafeName: return "the entry's name leads outside the destination";
    case kArcWriteError: return "the output file cannot be written";
    case kArcUnknownMethod: return "unknown packing method";
    default: return "archive error";
    }
}

struct Listed {
    std::string name;
    std::uint32_t original = 0;
    std::uint32_t stored = 0;
    int method = 0;
    std::uint32_t crc = 0;
    std::uint32_t time = 0;
};

// Walks the headers without extracting anything.
ArcStatus ListEntries(const std::string& path, std::vector<Listed>* entries) {
    if (const ArcStatus probe = ArcProbe(path.c_str()); probe != kArcOk) return probe;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return kArcCannotOpen;
    ArcStatus status = kArcOk;
    for (;;) {
        ArcEntry entry;
        entry.m_pInput = file;
        status = ArcReadHeader(entry);
        if (status == kArcEndMarker) {
            status = kArcOk;
            break;
        }
        if (status != kArcOk) break;
        entries->push_back(Listed{entry.m_szName, entry.m_nOriginalSize, entry.m_nStoredSize, entry.m_nMethod,
                                  entry.m_nCrc, entry.m_nTime});
        if (std::fseek(file, static_cast<long>(entry.m_nStoredSize), SEEK_CUR) != 0) {
            status = kArcBadHeader;
            break;
        }
    }
    std::fclose(file);
    return status;
}

std::string TimeText(std::uint32_t seconds) {
    const std::time_t t = seconds;
    std::tm tm {};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &tm);
    return text;
}

}  // namespace

ExitStatus RunArcList(Console& console, const std::string& archive) {
    std::vector<Listed> entries;
    const ArcStatus status = ListEntries(archive, &entries);
    if (status != kArcOk && entries.empty()) {
        console.Error(Format(CliText(Text::ArchiveError), {archive, StatusText(status)}));
        return ExitStatus::BadFile;
    }
    if (entries.empty()) console.Info(CliText(Text::ArchiveEmpty));
    for (const Listed& e : entries) {
        char line[128];
        std::snprintf(line, sizeof line, "%10u %10u  %s  %08x  %s  ", e.original, e.stored,
                      e.method == 1 ? "stored    " : e.method == 2 ? "compressed" : "method ?  ", e.crc,
                      TimeText(e.time).c_str());
        console.Result(line + e.name);
    }
    if (status != kArcOk) {
        console.Error(Format(CliText(Text::ArchiveError), {archive, StatusText(status)}));
        return ExitStatus::BadFile;
    }
    return ExitStatus::Ok;
}

ExitStatus RunArcExtract(Console& console, const std::string& archive, const std::string& destination) {
    // Opening the archive creates it when missing and closing deletes it when
    // empty: look first, so the user's file is never made or removed here.
    std::vector<Listed> entries;
    const ArcStatus listed = ListEntries(archive, &entries);
    if (listed != kArcOk) {
        console.Error(Format(CliText(Text::ArchiveError), {archive, StatusText(listed)}));
        return ExitStatus::BadFile;
    }
    if (entries.empty()) {
        console.Info(CliText(Text::ArchiveEmpty));
        return ExitStatus::Ok;
    }
    ArcStatus status = ArcOpen(archive.c_str(), 0);
    if (status == kArcOk) status = ArcAddRequest("*", destination.c_str());
    if (status == kArcOk) status = ArcProcess();
    const std::vector<ArcExtraction> done = status == kArcOk ? ArcLastExtractions() : std::vector<ArcExtraction>{};
    ArcClose();
    ExitStatus result = ExitStatus::Ok;
    if (status != kArcOk) {
        console.Error(Format(CliText(Text::ArchiveError), {archive, StatusText(status)}));
        result = ExitStatus::BadFile;
    }
    for (const ArcExtraction& e : done) {
        if (e.status == kArcOk) {
            console.Info(Format(CliText(Text::Extracted), {e.path}));
            continue;
        }
        // A member that failed its check is not left behind as if it were good.
        if (!e.path.empty()) ::unlink(e.path.c_str());
        console.Error(Format(CliText(Text::ArchiveError), {e.name, StatusText(e.status)}));
        result = ExitStatus::BadFile;
    }
    return result;
}

}  // namespace brelko::cli
