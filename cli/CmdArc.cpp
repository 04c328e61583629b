// arc list|extract: the ".arq" archives the vision system packs its pictures
// in, through the archive toolkit.

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "archive/Archive.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/ConsoleSystem.h"
#include "platform/SystemFiles.h"

namespace brelko::cli {

namespace {

std::string StatusText(ArcStatus status) {
    switch (status) {
    case kArcOk: return "ok";
    case kArcNoMemory: return Bilingual("out of memory", "ikke nok hukommelse");
    case kArcCannotOpen: return Bilingual("cannot be opened", "kan ikke åbnes");
    case kArcNotArchive: return Bilingual("not an archive", "ikke et arkiv");
    case kArcBadHeader: return Bilingual("damaged entry header", "beskadiget filhoved");
    case kArcCrcError: return Bilingual("CRC error", "CRC-fejl");
    case kArcNoStream: return Bilingual("a file cannot be opened", "en fil kan ikke åbnes");
    case kArcNewerVersion: return Bilingual("needs a newer version of the archive format", "kræver en nyere arkivversion");
    case kArcAlreadyOpen: return Bilingual("another archive is open", "et andet arkiv er åbent");
    case kArcBadSpec: return Bilingual("malformed file pattern", "ugyldig filangivelse");
    case kArcNoWorkFile: return Bilingual("the work file cannot be created", "arbejdsfilen kan ikke oprettes");
    case kArcCorruptData: return Bilingual("corrupt compressed data", "beskadigede pakkede data");
    case kArcUnsafeName: return Bilingual("the entry's name leads outside the destination", "filnavnet fører uden for målmappen");
    case kArcWriteError: return Bilingual("the output file cannot be written", "uddatafilen kan ikke skrives");
    case kArcUnknownMethod: return Bilingual("unknown packing method", "ukendt pakkemetode");
    default: return Bilingual("archive error", "arkivfejl");
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
    std::FILE* file = sysfile::OpenStream(path, "rb");
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
    UtcTime(t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &tm);
    return text;
}

// The name as the toolkit's probe takes it: a name that names no file and
// has no extension of its own means the ".arq" archive.
std::string ArchivePath(const std::string& name) {
    if (sysfile::InfoOf(name).kind != sysfile::Kind::Missing) return name;
    const auto slash = name.rfind('/');
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    return file.find('.') == std::string::npos ? name + ".arq" : name;
}

}  // namespace

ExitStatus RunArcList(Console& console, const std::string& given) {
    const std::string archive = ArchivePath(given);
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

ExitStatus RunArcExtract(Console& console, const std::string& given, const std::string& destination) {
    const std::string archive = ArchivePath(given);
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
    // A member that fails its check is not left behind as if it were good,
    // and an older file of its name stays as it was.
    ArcKeepDamagedMembers(false);
    ArcStatus status = ArcOpen(archive.c_str(), 0);
    if (status == kArcOk) status = ArcAddRequest("*", destination.c_str());
    if (status == kArcOk) status = ArcProcess();
    const std::vector<ArcExtraction> done = status == kArcOk ? ArcLastExtractions() : std::vector<ArcExtraction>{};
    ArcClose();
    ArcKeepDamagedMembers(true);
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
        if (e.status == kArcNoStream || e.status == kArcWriteError) {
            // The member is good; the place it goes to is not.
            console.Error(Format(CliText(Text::CannotWrite), {e.name, e.reason}));
            result = ExitStatus::WriteError;
            continue;
        }
        console.Error(Format(CliText(Text::ArchiveError), {e.name, StatusText(e.status)}));
        if (result == ExitStatus::Ok) result = ExitStatus::BadFile;
    }
    return result;
}

}  // namespace brelko::cli
