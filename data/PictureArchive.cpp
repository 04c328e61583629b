#include "data/PictureArchive.h"

#include <cstdio>

#include "archive/ArcEntry.h"
#include "archive/ArcToolkit.h"
#include "platform/SystemFiles.h"

namespace brelko {

bool IsPictureArchive(const std::string& path) { return ArcProbe(path.c_str()) == kArcOk; }

bool ExtractPictureArchive(const std::string& archivePath, const std::string& folder, std::string& memberPath) {
    // The first entry's name says which file to extract.
    std::FILE* file = sysfile::OpenStream(archivePath, "rb");
    if (!file) return false;
    ArcEntry entry;
    entry.m_pInput = file;
    const ArcStatus header = ArcReadHeader(entry);
    std::fclose(file);
    if (header != kArcOk) return false;  // only the end marker: no picture inside

    if (ArcOpen(archivePath.c_str(), 0) != kArcOk) return false;
    bool extracted = false;
    if (ArcAddRequest(entry.m_szName, folder.c_str()) == kArcOk && ArcProcess() == kArcOk) {
        // A member that failed its CRC or could not be written is no picture to load.
        for (const ArcExtraction& e : ArcLastExtractions())
            if (e.status == kArcOk && !e.path.empty()) {
                memberPath = e.path;
                extracted = true;
                break;
            }
    }
    ArcClose();
    return extracted;
}

}  // namespace brelko
