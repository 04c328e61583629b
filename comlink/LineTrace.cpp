#include "comlink/LineTrace.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

#include "platform/AtomicFile.h"
#include "platform/SystemFiles.h"

namespace brelko {

namespace {

std::int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

bool LocalTime(std::time_t t, std::tm& out) {
#ifdef _WIN32
    return localtime_s(&out, &t) == 0;
#else
    return localtime_r(&t, &out) != nullptr;
#endif
}

}  // namespace

std::string FormatTraceBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '<') {
            out.push_back(c);
        } else {
            out.push_back('<');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0x0F]);
            out.push_back('>');
        }
    }
    return out;
}

std::string FormatTraceTime(std::int64_t unixMs) {
    std::int64_t seconds = unixMs / 1000;
    int millis = static_cast<int>(unixMs % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    std::tm tm {};
    char text[48];
    if (!LocalTime(static_cast<std::time_t>(seconds), tm) ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm) == 0)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(seconds));
    char full[64];
    std::snprintf(full, sizeof full, "%s.%03d", text, millis);
    return full;
}

std::string FormatTraceLine(std::int64_t unixMs, TraceDirection direction, std::string_view bytes) {
    return FormatTraceTime(unixMs) + (direction == TraceDirection::ToDevice ? " > " : " < ") +
           FormatTraceBytes(bytes);
}

LineTrace::~LineTrace() {
    Stop();
}

bool LineTrace::Start(const std::string& path, std::string* error) {
    Stop();
    // Appended to, so not written atomically; but never into a FIFO, a
    // device or a folder, which would block the writer or take the bytes.
    const WriteTarget target = InspectWriteTarget(path);
    if (target.refusal == FileWriteError::Folder || target.refusal == FileWriteError::NotARegularFile) {
        if (error) *error = target.reason;
        return false;
    }
    std::FILE* file = sysfile::OpenStream(path, "ab");
    if (!file) {
        if (error) *error = sysfile::ErrorMessage(errno);
        return false;
    }
    return Start(file, path);
}

bool LineTrace::Start(std::FILE* file, const std::string& name) {
    if (!file) return false;
    Stop();
    std::lock_guard lock(m_mutex);
    m_file = file;
    m_strPath = name;
    m_strError.clear();
    m_nDropped = 0;
    m_nDroppedUnreported = 0;
    m_dropStartMs = m_dropEndMs = 0;
    m_queue.Clear();
    m_bStopping = false;
    m_bBurstOpen = false;
    m_burst.clear();
    AddNoteLocked(NowMs(), "trace started (> sent to the vision system, < received from it)");
    m_bActive.store(true);
    m_writer = std::thread([this] { Run(); });
    return true;
}

void LineTrace::Stop() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_writer.joinable()) return;
        if (m_bActive.load()) {
            // Bytes dropped at the end have had no later byte to carry their note.
            NoteDropsLocked(NowMs());
            AddNoteLocked(NowMs(), "trace stopped");
        }
        m_bActive.store(false);
        m_bStopping = true;
    }
    m_wake.notify_one();
    m_writer.join();
    std::lock_guard lock(m_mutex);
    m_bStopping = false;
}

std::string LineTrace::Path() const {
    std::lock_guard lock(m_mutex);
    return m_strPath;
}

std::string LineTrace::LastError() const {
    std::lock_guard lock(m_mutex);
    return m_strError;
}

std::uint64_t LineTrace::DroppedBytes() const {
    std::lock_guard lock(m_mutex);
    return m_nDropped;
}

std::size_t LineTrace::QueuedBytes() const {
    std::lock_guard lock(m_mutex);
    return m_queue.bytes.size();
}

void LineTrace::Record(TraceDirection direction, const void* bytes, std::size_t count) {
    if (!IsActive() || count == 0 || bytes == nullptr) return;
    const std::int64_t ms = NowMs();
    std::lock_guard lock(m_mutex);
    if (!m_bActive.load(std::memory_order_relaxed)) return;
    if (m_queue.bytes.size() + count > QUEUE_LIMIT) {
        if (m_nDroppedUnreported == 0) m_dropStartMs = ms;
        m_dropEndMs = ms;
        m_nDropped += count;
        m_nDroppedUnreported += count;
        return;
    }
    const bool wasEmpty = m_queue.marks.empty();
    NoteDropsLocked(ms);
    const MarkKind kind = direction == TraceDirection::ToDevice ? MarkKind::ToDevice : MarkKind::FromDevice;
    if (m_queue.marks.empty() || m_queue.marks.back().kind != kind || m_queue.marks.back().ms != ms)
        m_queue.marks.push_back(Mark{m_queue.bytes.size(), ms, kind});
    m_queue.bytes.append(static_cast<const char*>(bytes), count);
    // The writer sleeps only on an empty queue.
    if (wasEmpty) m_wake.notify_one();
}

void LineTrace::Note(const std::string& text) {
    if (!IsActive()) return;
    const std::int64_t ms = NowMs();
    std::lock_guard lock(m_mutex);
    if (!m_bActive.load(std::memory_order_relaxed)) return;
    const bool wasEmpty = m_queue.marks.empty();
    NoteDropsLocked(ms);
    AddNoteLocked(ms, text);
    if (wasEmpty) m_wake.notify_one();
}

void LineTrace::NoteDropsLocked(std::int64_t ms) {
    if (m_nDroppedUnreported == 0) return;
    AddNoteLocked(ms, std::to_string(m_nDroppedUnreported) + " bytes are missing here, from " +
                          FormatTraceTime(m_dropStartMs) + " to " + FormatTraceTime(m_dropEndMs) +
                          ": the trace could not keep up with the line");
    m_nDroppedUnreported = 0;
}

void LineTrace::AddNoteLocked(std::int64_t ms, std::string text) {
    m_queue.marks.push_back(Mark{m_queue.bytes.size(), ms, MarkKind::Note});
    m_queue.notes.push_back(std::move(text));
}

void LineTrace::Run() {
    Queue batch;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_queue.marks.empty()) {
            std::swap(batch, m_queue);
            lock.unlock();
            Emit(batch);
            batch.Clear();
            lock.lock();
            if (m_queue.marks.empty()) {
                lock.unlock();
                FlushFile();
                lock.lock();
            }
            continue;
        }
        if (m_bStopping) break;
        if (m_bBurstOpen) {
            // A burst ends after a pause of the line; write it then.
            const std::int64_t left = m_burstLastMs + BURST_GAP_MS - NowMs();
            if (left > 0) {
                m_wake.wait_for(lock, std::chrono::milliseconds(left));
                continue;
            }
            lock.unlock();
            CloseBurst();
            FlushFile();
            lock.lock();
            continue;
        }
        m_wake.wait(lock, [this] { return !m_queue.marks.empty() || m_bStopping; });
    }
    lock.unlock();
    CloseBurst();
    FlushFile();
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
}

void LineTrace::Emit(const Queue& batch) {
    std::size_t note = 0;
    for (std::size_t m = 0; m < batch.marks.size(); ++m) {
        const Mark& mark = batch.marks[m];
        if (mark.kind == MarkKind::Note) {
            CloseBurst();
            WriteLine("# " + FormatTraceTime(mark.ms) + " " + batch.notes[note++]);
            continue;
        }
        const std::size_t end = m + 1 < batch.marks.size() ? batch.marks[m + 1].offset : batch.bytes.size();
        const TraceDirection direction =
            mark.kind == MarkKind::ToDevice ? TraceDirection::ToDevice : TraceDirection::FromDevice;
        for (std::size_t i = mark.offset; i < end; ++i) {
            if (m_bBurstOpen && (direction != m_burstDirection || mark.ms - m_burstLastMs > BURST_GAP_MS))
                CloseBurst();
            if (!m_bBurstOpen) {
                m_bBurstOpen = true;
                m_burstDirection = direction;
                m_burstStartMs = mark.ms;
            }
            m_burstLastMs = mark.ms;
            const char byte = batch.bytes[i];
            m_burst.push_back(byte);
            if (byte == '\n' || m_burst.size() >= MAX_BURST) CloseBurst();
        }
    }
}

void LineTrace::CloseBurst() {
    if (!m_bBurstOpen) return;
    WriteLine(FormatTraceLine(m_burstStartMs, m_burstDirection, m_burst));
    m_burst.clear();
    m_bBurstOpen = false;
}

void LineTrace::WriteLine(const std::string& line) {
    if (!m_file) return;
    if (std::fputs(line.c_str(), m_file) < 0 || std::fputc('\n', m_file) == EOF) Fail(errno);
}

void LineTrace::FlushFile() {
    if (m_file && std::fflush(m_file) != 0) Fail(errno);
}

void LineTrace::Fail(int err) {
    std::fclose(m_file);
    m_file = nullptr;
    // The line is what matters: stop recording rather than slow it.
    std::lock_guard lock(m_mutex);
    m_strError = sysfile::ErrorMessage(err);
    m_bActive.store(false);
}

}  // namespace brelko
