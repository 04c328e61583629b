// The operating-system calls of the atomic file writer, kept apart so that
// each platform has its own twin of AtomicFilePosix.cpp.
#pragma once

#include <cstddef>
#include <string>

namespace brelko::fileos {

enum class NodeKind { Missing, Regular, Folder, Fifo, Device, Socket, Other };

struct Node {
    NodeKind kind = NodeKind::Missing;
    unsigned mode = 0;  // permission bits of an existing node
};

// The file that a path names once its symbolic links are followed (it need
// not exist). False with *err (ELOOP for a link cycle, ENAMETOOLONG, ...).
bool FollowLinks(const std::string& path, std::string* resolved, int* err);
// What is at the path (without following a last link). False with *err
// when the system cannot tell (missing is not an error).
bool Inspect(const std::string& path, Node* node, int* err);
// Creates a new, empty, hidden temporary file in the folder of target (same
// file system, so a rename is atomic). Returns its descriptor, or -1 with *err.
int CreateTempBeside(const std::string& target, std::string* tempPath, int* err);
bool WriteAll(int fd, const void* data, std::size_t size, int* err);
// Sets the mode, flushes the file to disk and closes it (always).
bool FinishTemp(int fd, unsigned mode, int* err);
// What a failed replacement left where it could not be tidied: the files
// that hold the new and the old content (empty: none), which the caller
// must not remove.
struct LeftOver {
    std::string newContent;
    std::string oldContent;
};
bool RenameOver(const std::string& from, const std::string& to, int* err, LeftOver* left);
// Whether an existing target can be replaced at all (not read-only, not held
// by another program), asked before anything is written. False with *err.
bool CheckReplaceable(const std::string& path, int* err);
void CloseAndRemove(int fd, const std::string& path);
// The mode of a new file: read and write for all, less the umask.
unsigned NewFileMode();
std::string ErrorText(int err);
// Removes a file from a signal handler: async-signal-safe.
void RemoveNow(const char* path);

}  // namespace brelko::fileos
