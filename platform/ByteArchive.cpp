#include "platform/ByteArchive.h"

#include <cerrno>
#include <cstring>

#include "platform/FileUtil.h"
#include "platform/SystemFiles.h"
#include "platform/Strings.h"

namespace brelko {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

ByteArchive::ByteArchive(Mode mode, std::string fileName) : m_mode(mode), m_fileName(std::move(fileName)) {}

std::unique_ptr<ByteArchive> ByteArchive::OpenFile(const std::string& path, Mode mode, std::string* error,
                                                   FileWriteError* kind) {
    if (kind) *kind = FileWriteError::None;
    std::unique_ptr<ByteArchive> ar(new ByteArchive(mode, path));
    auto refuse = [&](int err) -> std::unique_ptr<ByteArchive> {
        if (error) *error = fileutil::ErrorMessage(err);
        return nullptr;
    };
    if (mode == Mode::Load) {
        // Non-blocking, so that a FIFO cannot hold the open up; only regular
        // files are read, where the flag changes nothing.
        int err = 0;
        const int fd = sysfile::OpenRead(path, &err);
        if (fd < 0) return refuse(err);
        sysfile::Info info;
        if (!sysfile::InfoOf(fd, &info, &err)) {
            sysfile::Close(fd);
            return refuse(err);
        }
        if (info.kind == sysfile::Kind::Folder) {
            sysfile::Close(fd);
            return refuse(EISDIR);
        }
        if (info.kind != sysfile::Kind::Regular) {
            sysfile::Close(fd);
            if (error) *error = LoadString(IDS_NOT_A_FILE_TO_READ);
            return nullptr;
        }
        ar->m_fd = fd;
        ar->m_length = info.size;
        ar->m_bytes.resize(kBufferSize);
    } else {
        auto out = std::make_unique<AtomicFile>();
        std::string reason;
        if (!out->Open(path, &reason)) {
            if (error) *error = reason;
            if (kind) *kind = out->Error();
            return nullptr;
        }
        ar->m_out = std::move(out);
        ar->m_bytes.resize(kBufferSize);
    }
    if (error) error->clear();
    return ar;
}

std::unique_ptr<ByteArchive> ByteArchive::FromBytes(std::vector<std::uint8_t> bytes, std::string fileName) {
    std::unique_ptr<ByteArchive> ar(new ByteArchive(Mode::Load, std::move(fileName)));
    ar->m_memory = true;
    ar->m_bytes = std::move(bytes);
    ar->m_end = ar->m_bytes.size();
    ar->m_length = ar->m_bytes.size();
    return ar;
}

std::unique_ptr<ByteArchive> ByteArchive::ToMemory(std::string fileName) {
    std::unique_ptr<ByteArchive> ar(new ByteArchive(Mode::Store, std::move(fileName)));
    ar->m_memory = true;
    return ar;
}

ByteArchive::~ByteArchive() {
    sysfile::Close(m_fd);
    // A store that was never committed leaves the target as it was: the
    // writer removes its temporary file.
}

std::uint64_t ByteArchive::Length() const { return m_length; }

std::uint64_t ByteArchive::Remaining() const { return m_consumed < m_length ? m_length - m_consumed : 0; }

void ByteArchive::Fail(Status status, std::string reason) {
    if (m_status != Status::Ok) return;  // the first failure is the one to report
    m_status = status;
    m_reason = std::move(reason);
}

bool ByteArchive::Fill() {
    if (m_memory || m_fd < 0) return false;
    int err = 0;
    const long long n = sysfile::Read(m_fd, m_bytes.data(), m_bytes.size(), &err);
    if (n < 0) {
        Fail(Status::IoError, "cannot read the file: " + fileutil::ErrorMessage(err));
        return false;
    }
    m_pos = 0;
    m_end = static_cast<std::size_t>(n);
    return n > 0;
}

std::size_t ByteArchive::Read(void* buffer, std::size_t n) {
    if (!IsLoading()) {
        Fail(Status::IoError, "the archive is not open for loading");
        return 0;
    }
    if (!Ok()) return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        if (m_pos == m_end && !Fill()) break;
        std::size_t chunk = std::min(n - done, m_end - m_pos);
        std::memcpy(out + done, m_bytes.data() + m_pos, chunk);
        m_pos += chunk;
        done += chunk;
    }
    m_consumed += done;
    return done;
}

bool ByteArchive::ReadExact(void* buffer, std::size_t n) {
    if (!Ok()) return false;
    if (Read(buffer, n) == n) return true;
    Fail(Status::EndOfFile);
    return false;
}

std::uint8_t ByteArchive::ReadU8() {
    // Most reads are served from the buffer; the general path handles the rest.
    if (m_status == Status::Ok && m_mode == Mode::Load && m_pos < m_end) {
        ++m_consumed;
        return m_bytes[m_pos++];
    }
    std::uint8_t b[1] = {0};
    return ReadExact(b, 1) ? b[0] : 0;
}

std::uint16_t ByteArchive::ReadU16() {
    std::uint8_t b[2];
    if (!ReadExact(b, 2)) return 0;
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t ByteArchive::ReadU32() {
    std::uint8_t b[4];
    if (!ReadExact(b, 4)) return 0;
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

bool ByteArchive::FlushBuffer() {
    if (m_memory || !m_out || m_pos == 0) return Ok();
    std::string reason;
    if (!m_out->Write(m_bytes.data(), m_pos, &reason)) {
        Fail(Status::IoError, "cannot write the file: " + reason);
        m_pos = 0;
        return false;
    }
    m_pos = 0;
    return true;
}

void ByteArchive::Write(const void* data, std::size_t n) {
    if (!IsStoring()) {
        Fail(Status::IoError, "the archive is not open for storing");
        return;
    }
    if (!Ok() || n == 0) return;
    const auto* in = static_cast<const std::uint8_t*>(data);
    if (m_memory) {
        m_bytes.insert(m_bytes.end(), in, in + n);
        return;
    }
    if (!m_out || !m_out->IsOpen()) {
        Fail(Status::IoError, "the archive is already closed");
        return;
    }
    while (n > 0) {
        if (m_pos == m_bytes.size() && !FlushBuffer()) return;
        std::size_t chunk = std::min(n, m_bytes.size() - m_pos);
        std::memcpy(m_bytes.data() + m_pos, in, chunk);
        m_pos += chunk;
        in += chunk;
        n -= chunk;
    }
}

void ByteArchive::WriteU8(std::uint8_t v) {
    if (m_status == Status::Ok && m_mode == Mode::Store && m_out && m_pos < m_bytes.size()) {
        m_bytes[m_pos++] = v;
        return;
    }
    Write(&v, 1);
}

void ByteArchive::WriteU16(std::uint16_t v) {
    std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    Write(b, 2);
}

void ByteArchive::WriteU32(std::uint32_t v) {
    std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                         static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    Write(b, 4);
}

bool ByteArchive::Commit() {
    if (!IsStoring() || m_memory) return Ok();
    // Already committed, or closed after a failure.
    if (!m_out || !m_out->IsOpen()) return Ok();
    // A store that failed or was refused on the way is never put in place.
    if (!Ok() || !FlushBuffer()) {
        m_out->Discard();
        return false;
    }
    std::string reason;
    if (!m_out->Commit(&reason)) {
        Fail(Status::IoError, "cannot replace the file: " + reason);
        return false;
    }
    return true;
}

void ByteArchive::SetInvalid(std::string reason) { Fail(Status::Invalid, std::move(reason)); }

std::string ByteArchive::ErrorText() const {
    switch (m_status) {
    case Status::Ok:
        return {};
    case Status::EndOfFile:
        return "file is truncated or damaged";
    case Status::IoError:
        return m_reason.empty() ? "the file could not be read or written" : m_reason;
    case Status::Invalid:
        return m_reason.empty() ? "the file holds data that cannot be used" : m_reason;
    }
    return {};
}

}  // namespace brelko
