#include "compare/RestoreDiff.h"

namespace brelko {

namespace {
constexpr std::string_view kEndMarker = "[END]";
}

std::string_view RestoredPart(std::string_view backup) {
    const std::size_t marker = backup.find(kEndMarker);
    if (marker == std::string_view::npos) return backup;
    // A restore sends the text up to the marker, then a line feed of its
    // own. The marker's line end in the file is kept, so that a backup
    // compares equal with itself; anything else after the marker is not sent.
    std::size_t end = marker + kEndMarker.size();
    if (backup.substr(end, 2) == "\r\n")
        end += 2;
    else if (backup.substr(end, 1) == "\n")
        end += 1;
    return backup.substr(0, end);
}

TextDiff CompareForRestore(std::string_view systemBackup, std::string_view fileBackup, std::size_t context) {
    return TextDiff(RestoredPart(systemBackup), RestoredPart(fileBackup), context);
}

}  // namespace brelko
