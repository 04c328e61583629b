#include "exchange/BackupTarget.h"

#include <cctype>

#include "exchange/CStatusView.h"
#include "platform/Strings.h"

namespace brelko {

namespace {

bool EndsWithAsc(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".asc";
}

std::string Replace(std::string text, const std::string& marker, const std::string& value) {
    const auto at = text.find(marker);
    if (at != std::string::npos) text.replace(at, marker.size(), value);
    return text;
}

// What came after line errors or a system that fell silent is all the
// system sent; a cut (vanished device, cancel) or an unnamed failure is not.
bool WorthKeeping(const CourseOutcome& outcome) {
    return outcome.failure == TransferFailure::LineErrors || outcome.failure == TransferFailure::Silence;
}

}  // namespace

std::string PartialBackupName(const std::string& target) {
    const std::string base = EndsWithAsc(target) ? target.substr(0, target.size() - 4) : target;
    return base + ".partial.asc";
}

BackupPlacement PlaceBackup(const std::string& target, const CourseOutcome& outcome, std::string* path) {
    path->clear();
    if (!outcome.receiveFailed) {
        *path = target;
        return BackupPlacement::Replaced;
    }
    if (!WorthKeeping(outcome)) return BackupPlacement::NotKept;
    // A dangling link names no file yet: writing through it loses nothing.
    if (!InspectWriteTarget(target).exists) {
        *path = target;
        return BackupPlacement::KeptUnderTarget;
    }
    *path = PartialBackupName(target);
    return BackupPlacement::KeptBeside;
}

BackupSave SaveBackup(const std::string& target, const CourseOutcome& outcome, const std::string& bytes) {
    BackupSave save;
    std::string path;
    save.placement = PlaceBackup(target, outcome, &path);
    const std::string left = Replace(LoadString(IDS_BACKUP_LEFT_AS_IT_WAS), "%1", target);
    if (save.placement == BackupPlacement::NotKept) {
        save.message = LoadString(IDS_BACKUP_NOT_KEPT);
        if (InspectWriteTarget(target).exists) save.message += " " + left;
        return save;
    }
    std::string reason;
    if (!WriteFileAtomically(path, bytes.data(), bytes.size(), &reason, &save.writeError)) {
        save.message = reason;
        return save;
    }
    save.written = true;
    save.path = path;
    if (save.placement == BackupPlacement::Replaced) {
        save.message = Replace(Replace(LoadString(IDS_BACKUP_SAVED), "%1", path), "%2", std::to_string(bytes.size()));
        return save;
    }
    const unsigned why =
        outcome.failure == TransferFailure::Silence ? IDS_BACKUP_KEPT_AFTER_SILENCE : IDS_BACKUP_KEPT_WITH_ERRORS;
    save.message = Replace(LoadString(why), "%1", path);
    if (save.placement == BackupPlacement::KeptBeside) save.message += " " + left;
    return save;
}

}  // namespace brelko
