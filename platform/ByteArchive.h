// The loading/storing byte stream that Serialize takes: buffered, little-endian
// reads and writes of 8-, 16- and 32-bit values. Errors are sticky values: after
// the first failure every read yields 0 and Status() says why, so a loader can
// read a whole header and check once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"

namespace brelko {

class ByteArchive {
public:
    enum class Mode { Load, Store };
    enum class Status {
        Ok,
        EndOfFile,  // a read went past the end: the file is truncated or damaged
        IoError,    // the file could not be read or written
        Invalid,    // the content was refused by the loader (see SetInvalid)
    };

    // Opens a file. Loading reads it; storing goes through the atomic file
    // writer (AtomicFile.h): Commit() puts the new file in place, so a failed
    // store never leaves a half-written file under the target name, and a
    // FIFO, device or folder is refused. Null with a reason in *error (and,
    // for storing, the kind in *kind) when the file cannot be opened.
    static std::unique_ptr<ByteArchive> OpenFile(const std::string& path, Mode mode, std::string* error = nullptr,
                                                 FileWriteError* kind = nullptr);
    // In-memory archives: loading from given bytes, or storing into Bytes().
    static std::unique_ptr<ByteArchive> FromBytes(std::vector<std::uint8_t> bytes, std::string fileName = {});
    static std::unique_ptr<ByteArchive> ToMemory(std::string fileName = {});

    ~ByteArchive();
    ByteArchive(const ByteArchive&) = delete;
    ByteArchive& operator=(const ByteArchive&) = delete;

    bool IsLoading() const { return m_mode == Mode::Load; }
    bool IsStoring() const { return m_mode == Mode::Store; }
    // The file name the archive was opened with (the document's path name).
    const std::string& FileName() const { return m_fileName; }

    // Loading.
    std::uint64_t Length() const;     // total size of the file
    std::uint64_t Remaining() const;  // bytes not yet read
    std::uint8_t ReadU8();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    // Reads up to n bytes; returns how many came (short only at the end, which
    // is not an error for this call).
    std::size_t Read(void* buffer, std::size_t n);
    // Reads exactly n bytes or fails with EndOfFile.
    bool ReadExact(void* buffer, std::size_t n);

    // Storing.
    void WriteU8(std::uint8_t v);
    void WriteU16(std::uint16_t v);
    void WriteU32(std::uint32_t v);
    void Write(const void* data, std::size_t n);
    // Flushes and, for a file, renames the temporary file over the target.
    // False (Status IoError) when anything failed; the target is then untouched.
    bool Commit();
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }  // in-memory store

    Status GetStatus() const { return m_status; }
    bool Ok() const { return m_status == Status::Ok; }
    // A loader marks content it refuses, with a reason for the user.
    void SetInvalid(std::string reason);
    // The reason of the first failure, for the user ("file is truncated or damaged", ...).
    std::string ErrorText() const;

private:
    ByteArchive(Mode mode, std::string fileName);
    void Fail(Status status, std::string reason = {});
    bool Fill();
    bool FlushBuffer();

    Mode m_mode;
    std::string m_fileName;
    Status m_status = Status::Ok;
    std::string m_reason;
    int m_fd = -1;                      // loading from a file
    std::unique_ptr<AtomicFile> m_out;  // storing to a file
    std::uint64_t m_length = 0;  // loading: file length
    std::uint64_t m_consumed = 0;
    std::vector<std::uint8_t> m_bytes;  // buffer (file) or whole content (memory)
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_memory = false;
};

}  // namespace brelko
