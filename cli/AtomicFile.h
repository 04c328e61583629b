// Output files are written to a temporary file in the target's folder and
// renamed over the target only when everything was written, so an interrupted
// or failed command never leaves a partial file under the target name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace brelko::cli {

class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();  // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates ".<name>.XXXXXX" beside `target`. False with the system's reason.
    bool Open(const std::string& target, std::string* error);
    bool Write(const void* data, std::size_t size, std::string* error);
    // Flushes to disk and renames over the target (keeping an existing
    // target's permission bits, else 0644 less the umask).
    bool Commit(std::string* error);
    // Removes the temporary file; the target stays as it was.
    void Discard();

    const std::string& TempPath() const { return m_tempPath; }

private:
    std::string m_target;
    std::string m_tempPath;
    int m_fd = -1;
};

// The whole file in one call.
bool WriteFileAtomically(const std::string& target, const std::vector<std::uint8_t>& bytes, std::string* error);
// The whole file as bytes; false with the system's reason.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* bytes, std::string* error);

}  // namespace brelko::cli
