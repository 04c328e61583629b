// Small POSIX file helpers the platform layers share: whole-file reads and
// whole-file replacement through the atomic file writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brelko::fileutil {

// The system's message for an errno value.
std::string ErrorMessage(int err);

// Reads a whole file. False with *err set (ENOENT for a missing file).
bool ReadWholeFile(const std::string& path, std::string* content, int* err);

// Reads a whole regular file as bytes; false with the reason (a folder, a
// FIFO or a device is refused rather than read).
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* reason);

// Writes content through the atomic file writer (AtomicFile.h). On failure
// path is untouched, no temporary file is left behind and *reason says why.
bool ReplaceFile(const std::string& path, const std::string& content, std::string* reason);

// The folder part of a path ("." for a bare name).
std::string DirName(const std::string& path);

}  // namespace brelko::fileutil
