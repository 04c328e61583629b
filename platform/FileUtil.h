// Small POSIX file helpers the platform layers share: whole-file reads and the
// temporary-file-then-rename replacement that keeps a target whole.
#pragma once

#include <string>

namespace brelko::fileutil {

// The system's message for an errno value.
std::string ErrorMessage(int err);

// Reads a whole file. False with *err set (ENOENT for a missing file).
bool ReadWholeFile(const std::string& path, std::string* content, int* err);

// The path a replacement must be renamed onto: a symbolic link is followed so
// the link itself survives.
std::string ResolveTarget(const std::string& path);

// Creates a new, empty temporary file in the folder of target (same file
// system, so a rename is atomic). It takes the target's permissions when the
// target exists, else the usual ones under the umask. Returns the descriptor
// (or -1 with errno set) and the temporary path.
int CreateTempBeside(const std::string& target, std::string* tempPath);

// Writes all of data to fd; false with errno set on failure.
bool WriteAll(int fd, const void* data, std::size_t size);

// Writes content to a temporary file beside path, flushes it to disk and
// renames it over path. On failure path is untouched, no temporary file is
// left behind and *err holds the errno value.
bool ReplaceFile(const std::string& path, const std::string& content, int* err);

// The folder part of a path ("." for a bare name).
std::string DirName(const std::string& path);

}  // namespace brelko::fileutil
