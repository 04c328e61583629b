// The one way files are written: into a temporary file beside the target,
// renamed over it only when everything was written and flushed, so that the
// target name holds either its old content or the complete new content.
// A symbolic link is written through (the file it names is replaced, the
// link stays); a FIFO, device, socket or folder is refused before anything
// is written. A replaced file keeps its permission bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brelko {

// Why a file could not be written.
enum class FileWriteError {
    None,
    NotARegularFile,  // the target is a FIFO, a device or a socket: it is left as it was
    Folder,           // the target is a folder
    System,           // the system refused: no such folder, no permission, disk full, ...
};

// What a write to a path would replace.
struct WriteTarget {
    std::string path;    // the file that is replaced, symbolic links followed
    bool exists = false;
    FileWriteError refusal = FileWriteError::None;  // set when the target cannot be written
    std::string reason;  // why, for the user
};
// Looks at the target without touching it: the GUI can ask before it starts
// a transfer whose result could not be saved.
WriteTarget InspectWriteTarget(const std::string& path);

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();  // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Checks the target and creates the temporary file beside the file it
    // names. False with the reason (and Error() telling the kind).
    bool Open(const std::string& target, std::string* error = nullptr);
    bool Write(const void* data, std::size_t size, std::string* error = nullptr);
    // The permission bits the file gets instead of the replaced file's (or,
    // for a new file, the usual ones under the umask).
    void SetMode(unsigned mode) { m_mode = mode; m_bModeSet = true; }
    // Flushes to disk and renames over the target. On failure the target is
    // as it was and no temporary file is left.
    bool Commit(std::string* error = nullptr);
    // Removes the temporary file; the target stays as it was.
    void Discard();

    bool IsOpen() const { return m_fd >= 0; }
    FileWriteError Error() const { return m_error; }
    // The file that is (or was) replaced: the target with links followed.
    const std::string& TargetPath() const { return m_target; }
    const std::string& TempPath() const { return m_tempPath; }

private:
    bool Fail(FileWriteError kind, int err, std::string* error);

    std::string m_target;
    std::string m_tempPath;
    int m_fd = -1;
    int m_slot = -1;  // in the list of temporary files a second Ctrl+C removes
    unsigned m_mode = 0;
    bool m_bModeSet = false;
    FileWriteError m_error = FileWriteError::None;
};

// The whole file in one call.
bool WriteFileAtomically(const std::string& target, const void* data, std::size_t size, std::string* error,
                         FileWriteError* kind = nullptr);
bool WriteFileAtomically(const std::string& target, const std::vector<std::uint8_t>& bytes, std::string* error,
                         FileWriteError* kind = nullptr);

// Temporary files that must not outlive an abrupt end of the process. The
// writer registers its own; RemoveTemporaryFiles may be called from a signal
// handler (it only reads the list and calls unlink).
int RegisterTemporaryFile(const std::string& path);  // a slot, or -1 when the list is full
void UnregisterTemporaryFile(int slot);
void RemoveTemporaryFiles();

}  // namespace brelko
