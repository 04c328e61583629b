// A record of every byte on the serial line, for support: both directions,
// millisecond timestamps, one text line per burst, appended to a file.
//
//   2025-01-14 10:23:45.120 > GET VERSION<0A>
//   2025-01-14 10:23:45.131 < GET VERSION<0D><0A>
//
// ">" is sent to the vision system, "<" received from it. Printable bytes
// stand as themselves, every other byte (and "<" itself) as <XX> in hex, so a
// trace line reads back to exactly the bytes that went over the line. Lines
// starting with "#" are notes (port opened, bytes not recorded).
//
// Recording never slows a transfer: Record only copies the bytes into a
// bounded queue; a thread of the trace formats and writes them, and flushes
// the file whenever the queue runs dry. When the writer falls more than
// QUEUE_LIMIT bytes behind (a stalled disk, a slow reader of standard
// output), further bytes are dropped and counted, and a note in the trace
// says how many are missing where: as soon as bytes fit again, or at the end.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace brelko {

enum class TraceDirection : std::uint8_t { ToDevice, FromDevice };

class LineTrace {
public:
    // Bytes waiting for the writer at most.
    static constexpr std::size_t QUEUE_LIMIT = 4u << 20;
    // A burst ends after this much silence, when the direction changes,
    // after a line feed, or at MAX_BURST bytes.
    static constexpr int BURST_GAP_MS = 20;
    static constexpr std::size_t MAX_BURST = 1024;

    LineTrace() = default;
    ~LineTrace();  // Stop()
    LineTrace(const LineTrace&) = delete;
    LineTrace& operator=(const LineTrace&) = delete;

    // Starts recording, appending to `path`. A trace already running is
    // stopped first. False with the reason when the file cannot be opened,
    // and, as for every file the program writes, when the path is a folder,
    // a FIFO, a device or a socket.
    bool Start(const std::string& path, std::string* error = nullptr);
    // The same on a stream opened elsewhere (standard output); the trace
    // owns it and closes it at Stop. `name` is what Path() gives.
    bool Start(std::FILE* stream, const std::string& name);
    // Writes what is queued, closes the file. Safe to call when stopped.
    void Stop();
    bool IsActive() const { return m_bActive.load(std::memory_order_relaxed); }
    std::string Path() const;
    // The first write failure since Start (the trace stops at it); empty if none.
    std::string LastError() const;
    // Bytes dropped because the queue was full, since Start.
    std::uint64_t DroppedBytes() const;
    // Bytes recorded and not yet taken by the writer.
    std::size_t QueuedBytes() const;

    // Any thread; costs one relaxed load while the trace is off.
    void Record(TraceDirection direction, const void* bytes, std::size_t count);
    void Record(TraceDirection direction, unsigned char byte) { Record(direction, &byte, 1); }
    // A "#" line in its place among the bytes.
    void Note(const std::string& text);

private:
    enum class MarkKind : std::uint8_t { ToDevice, FromDevice, Note };
    // Where a run of bytes of one direction and one millisecond starts in
    // the queue; notes index m_notes instead.
    struct Mark {
        std::size_t offset;
        std::int64_t ms;
        MarkKind kind;
    };
    struct Queue {
        std::string bytes;
        std::vector<Mark> marks;
        std::vector<std::string> notes;
        void Clear() {
            bytes.clear();
            marks.clear();
            notes.clear();
        }
    };

    void AddNoteLocked(std::int64_t ms, std::string text);
    // The note of the bytes dropped since the last one, if any.
    void NoteDropsLocked(std::int64_t ms);
    void Run();
    void Emit(const Queue& batch);
    void CloseBurst();
    void WriteLine(const std::string& line);
    void FlushFile();
    void Fail(int err);  // closes the file and stops recording

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<bool> m_bActive{false};
    bool m_bStopping = false;
    Queue m_queue;
    std::uint64_t m_nDropped = 0;
    std::uint64_t m_nDroppedUnreported = 0;
    std::int64_t m_dropStartMs = 0;  // the first and last byte dropped since the last note
    std::int64_t m_dropEndMs = 0;
    std::string m_strPath;
    std::string m_strError;
    std::thread m_writer;

    // The writer's own state.
    std::FILE* m_file = nullptr;
    bool m_bBurstOpen = false;
    TraceDirection m_burstDirection = TraceDirection::ToDevice;
    std::int64_t m_burstStartMs = 0;
    std::int64_t m_burstLastMs = 0;
    std::string m_burst;
};

// "GET VERSION<0A>": printable ASCII as it is, "<" and every other byte as <XX>.
std::string FormatTraceBytes(std::string_view bytes);
// "2025-01-14 10:23:45.120 > GET VERSION<0A>" (local time), without a line end.
std::string FormatTraceLine(std::int64_t unixMs, TraceDirection direction, std::string_view bytes);
// The timestamp part alone: "2025-01-14 10:23:45.120".
std::string FormatTraceTime(std::int64_t unixMs);

}  // namespace brelko
