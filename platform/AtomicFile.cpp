#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/AtomicFileOs.h"
#include "platform/Strings.h"

namespace brelko {

namespace {

// The list a second Ctrl+C reads. A slot is claimed (1), filled, then
// published (2); the signal handler only looks at published slots.
constexpr int kSlots = 16;
constexpr std::size_t kSlotPath = 4096;
std::atomic<int> g_slotState[kSlots];
char g_slotPath[kSlots][kSlotPath];

void SetReason(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

}  // namespace

int RegisterTemporaryFile(const std::string& path) {
    if (path.size() >= kSlotPath) return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (!g_slotState[i].compare_exchange_strong(expected, 1)) continue;
        std::memcpy(g_slotPath[i], path.c_str(), path.size() + 1);
        g_slotState[i].store(2);
        return i;
    }
    return -1;
}

void UnregisterTemporaryFile(int slot) {
    if (slot >= 0 && slot < kSlots) g_slotState[slot].store(0);
}

void RemoveTemporaryFiles() {
    for (int i = 0; i < kSlots; ++i)
        if (g_slotState[i].load() == 2) fileos::RemoveNow(g_slotPath[i]);
}

WriteTarget InspectWriteTarget(const std::string& path) {
    WriteTarget target;
    int err = 0;
    if (path.empty() || path.back() == '/') {
        target.path = path;
        target.refusal = FileWriteError::Folder;
        target.reason = LoadString(IDS_TARGET_IS_FOLDER);
        return target;
    }
    if (!fileos::FollowLinks(path, &target.path, &err)) {
        target.path = path;
        target.refusal = FileWriteError::System;
        target.reason = fileos::ErrorText(err);
        return target;
    }
    fileos::Node node;
    if (!fileos::Inspect(target.path, &node, &err)) {
        target.refusal = FileWriteError::System;
        target.reason = fileos::ErrorText(err);
        return target;
    }
    target.exists = node.kind != fileos::NodeKind::Missing;
    switch (node.kind) {
    case fileos::NodeKind::Missing:
    case fileos::NodeKind::Regular:
        break;
    case fileos::NodeKind::Folder:
        target.refusal = FileWriteError::Folder;
        target.reason = LoadString(IDS_TARGET_IS_FOLDER);
        break;
    case fileos::NodeKind::Fifo:
        target.refusal = FileWriteError::NotARegularFile;
        target.reason = LoadString(IDS_TARGET_IS_FIFO);
        break;
    case fileos::NodeKind::Device:
        target.refusal = FileWriteError::NotARegularFile;
        target.reason = LoadString(IDS_TARGET_IS_DEVICE);
        break;
    case fileos::NodeKind::Socket:
    case fileos::NodeKind::Other:
        target.refusal = FileWriteError::NotARegularFile;
        target.reason = LoadString(IDS_TARGET_IS_SOCKET);
        break;
    }
    return target;
}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::Fail(FileWriteError kind, int err, std::string* error) {
    m_error = kind;
    SetReason(error, fileos::ErrorText(err));
    Discard();
    return false;
}

bool AtomicFile::Open(const std::string& target, std::string* error) {
    Discard();
    m_error = FileWriteError::None;
    const WriteTarget inspected = InspectWriteTarget(target);
    m_target = inspected.path;
    if (inspected.refusal != FileWriteError::None) {
        m_error = inspected.refusal;
        SetReason(error, inspected.reason);
        return false;
    }
    if (!m_bModeSet) {
        fileos::Node node;
        int err = 0;
        const bool keep = inspected.exists && fileos::Inspect(m_target, &node, &err);
        m_mode = keep ? node.mode : fileos::NewFileMode();
    }
    int err = 0;
    // A target that the system will not let us replace fails now, before a
    // transfer is started for it, not after.
    if (inspected.exists && !fileos::CheckReplaceable(m_target, &err)) return Fail(FileWriteError::System, err, error);
    m_fd = fileos::CreateTempBeside(m_target, &m_tempPath, &err);
    if (m_fd < 0) return Fail(FileWriteError::System, err, error);
    m_slot = RegisterTemporaryFile(m_tempPath);
    return true;
}

bool AtomicFile::Write(const void* data, std::size_t size, std::string* error) {
    if (m_fd < 0) return Fail(FileWriteError::System, EBADF, error);
    int err = 0;
    if (!fileos::WriteAll(m_fd, data, size, &err)) return Fail(FileWriteError::System, err, error);
    return true;
}

bool AtomicFile::Commit(std::string* error) {
    if (m_fd < 0) return Fail(FileWriteError::System, EBADF, error);
    int err = 0;
    const int fd = m_fd;
    m_fd = -1;
    if (!fileos::FinishTemp(fd, m_mode, &err)) return Fail(FileWriteError::System, err, error);
    // The target may have changed since Open: a special file that appeared
    // meanwhile is still not replaced.
    const WriteTarget now = InspectWriteTarget(m_target);
    if (now.refusal != FileWriteError::None) {
        m_error = now.refusal;
        SetReason(error, now.reason);
        Discard();
        return false;
    }
    fileos::LeftOver left;
    if (!fileos::RenameOver(m_tempPath, m_target, &err, &left)) {
        if (left.newContent.empty() && left.oldContent.empty()) return Fail(FileWriteError::System, err, error);
        // Half a replacement that could not be undone: the files named hold
        // the only copies, so none of them is removed.
        m_error = FileWriteError::System;
        std::string reason = fileos::ErrorText(err) + "; ";
        if (left.oldContent.empty())
            reason += FormatArgs(LoadString(IDS_KEPT_NEW_CONTENT), {left.newContent});
        else if (left.newContent.empty())
            reason += FormatArgs(LoadString(IDS_KEPT_OLD_CONTENT), {left.oldContent});
        else
            reason += FormatArgs(LoadString(IDS_KEPT_BOTH_CONTENTS), {left.newContent, left.oldContent});
        SetReason(error, reason);
        UnregisterTemporaryFile(m_slot);
        m_slot = -1;
        m_tempPath.clear();
        return false;
    }
    UnregisterTemporaryFile(m_slot);
    m_slot = -1;
    m_tempPath.clear();
    return true;
}

void AtomicFile::Discard() {
    // Removed before it leaves the list, so that a signal between the two
    // finds nothing left behind.
    fileos::CloseAndRemove(m_fd, m_tempPath);
    UnregisterTemporaryFile(m_slot);
    m_slot = -1;
    m_fd = -1;
    m_tempPath.clear();
}

bool WriteFileAtomically(const std::string& target, const void* data, std::size_t size, std::string* error,
                         FileWriteError* kind) {
    AtomicFile file;
    const bool ok = file.Open(target, error) && file.Write(data, size, error) && file.Commit(error);
    if (kind) *kind = file.Error();
    return ok;
}

bool WriteFileAtomically(const std::string& target, const std::vector<std::uint8_t>& bytes, std::string* error,
                         FileWriteError* kind) {
    return WriteFileAtomically(target, bytes.data(), bytes.size(), error, kind);
}

}  // namespace brelko
