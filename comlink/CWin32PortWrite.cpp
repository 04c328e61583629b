// Writing to the COM port. One overlapped write is in the driver's hands at a
// time; what is written while it runs is staged and handed over as the next
// write once it has finished. On a serial driver a write completes only when
// its bytes have left, so a text sent byte by byte goes out in bursts of
// what piled up meanwhile, and the line never waits for this side: the next
// burst starts at the first look (Write, the queue count, Idle) after the
// last one ended. A byte written while nothing is in flight goes at once, so
// a pause between bytes (the link's inter-character delay) stays on the line.
#include "comlink/CWin32Port.h"
#include "comlink/CWin32PortErrors.h"

#include <algorithm>
#include <cstring>

namespace brelko {

int CWin32Port::PutChar(int byte) {
    unsigned char c = static_cast<unsigned char>(byte);
    return Write(&c, 1) == 1 ? 0 : m_nError;
}

int CWin32Port::PutString(const char* text) {
    if (!text) return 0;
    return Write(text, static_cast<int>(std::strlen(text)));
}

int CWin32Port::QueuedWriteBytes(const COMSTAT& stat) const {
    // The driver counts the bytes of the write in flight as queued; without
    // a count of its own (a pty under Wine) they are the write's.
    const int inFlight = m_bWriting && m_pWrite ? static_cast<int>(m_pWrite->bytes.size()) : 0;
    return std::max(static_cast<int>(stat.cbOutQue), inFlight) + static_cast<int>(m_staged.size());
}

void CWin32Port::StartWrite() {
    if (m_bWriting || m_staged.empty() || !IsOpen() || !m_pWrite) return;
    PendingWrite& write = *m_pWrite;
    write.bytes.swap(m_staged);
    m_staged.clear();
    const HANDLE event = write.overlapped.hEvent;
    write.overlapped = OVERLAPPED{};
    write.overlapped.hEvent = event;
    ResetEvent(event);
    ++m_nWriteCalls;
    const DWORD handed = static_cast<DWORD>(write.bytes.size());
    DWORD done = 0;
    if (WriteFile(m_hDevice, write.bytes.data(), handed, &done, &write.overlapped)) {
        if (win32port::WriteCompletionCode(TRUE, 0, done, handed, false) != 0) Record(LINK_WRITE_ERROR);
        write.bytes.clear();
        return;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
        // Transmission goes on in the background; nothing waits for it.
        m_bWriting = true;
        return;
    }
    write.bytes.clear();
    NoteFailure(error, LINK_WRITE_ERROR);
    Record(LINK_WRITE_ERROR);
    PollErrors();
}

void CWin32Port::ReapWrites() {
    if (m_bWriting) {
        PendingWrite& write = *m_pWrite;
        DWORD done = 0;
        const BOOL ok = GetOverlappedResult(m_hDevice, &write.overlapped, &done, FALSE);
        const DWORD error = ok ? 0 : GetLastError();
        if (!ok && error == ERROR_IO_INCOMPLETE) return;
        m_bWriting = false;
        // Bytes counted as sent that never left: the caller must hear of it.
        if (win32port::WriteCompletionCode(ok, error, done, static_cast<DWORD>(write.bytes.size()), false) != 0) {
            NoteFailure(error, LINK_WRITE_ERROR);
            Record(LINK_WRITE_ERROR);
        }
        write.bytes.clear();
    }
    StartWrite();
}

void CWin32Port::DropWrites() {
    if (m_bWriting) {
        PendingWrite& write = *m_pWrite;
        DWORD done = 0;
        const BOOL ok = GetOverlappedResult(m_hDevice, &write.overlapped, &done, TRUE);
        const DWORD error = ok ? 0 : GetLastError();
        m_bWriting = false;
        // Aborted by the purge: nothing to record, unless the device went.
        if (win32port::WriteCompletionCode(ok, error, done, static_cast<DWORD>(write.bytes.size()), true) != 0)
            NoteFailure(error, LINK_WRITE_ERROR);
        write.bytes.clear();
    }
    m_staged.clear();
}

int CWin32Port::Write(const void* buffer, int count) {
    if (!buffer || count <= 0) return 0;
    COMSTAT stat {};
    PollErrors(&stat);
    ReapWrites();
    if (m_bVanished) {
        Record(LINK_WRITE_ERROR);
        return 0;
    }
    const int room = std::max(0, static_cast<int>(m_nTxSize) - QueuedWriteBytes(stat));
    const int handed = IsOpen() ? std::min(count, room) : 0;
    if (handed > 0) {
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        m_staged.insert(m_staged.end(), bytes, bytes + handed);
        StartWrite();
        if (m_bVanished) return 0;
    }
    if (handed < count) Record(LINK_BUFFER_FULL);
    return handed;
}

}  // namespace brelko
