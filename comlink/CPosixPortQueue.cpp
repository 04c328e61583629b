// What the tty port knows of its output queue: the driver's count, and on a
// pseudo-terminal (whose driver passes every byte on at once and counts
// none) an estimate by the line's configured rate.
#include "comlink/CPosixPort.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

#include <algorithm>
#include <chrono>

namespace brelko {

namespace {

std::int64_t NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool IsPseudoTerminal(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    // The slave ends of the system's pseudo-terminals (/dev/pts/N).
    const unsigned int majorNumber = major(st.st_rdev);
    return majorNumber >= 136 && majorNumber <= 143;
}

void CPosixPort::NoteHanded(int count) {
    if (count <= 0 || m_config.BaudRate == 0) return;
    // Ten bits a byte on the line.
    const std::int64_t byteUs = 10'000'000 / static_cast<std::int64_t>(m_config.BaudRate);
    m_lineFreeAtUs = std::max(m_lineFreeAtUs.load(), NowUs()) + byteUs * count;
}

int CPosixPort::EstimatedBacklog() const {
    if (m_config.BaudRate == 0) return 0;
    const std::int64_t left = m_lineFreeAtUs.load() - NowUs();
    if (left <= 0) return 0;
    const std::int64_t byteUs = 10'000'000 / static_cast<std::int64_t>(m_config.BaudRate);
    return static_cast<int>((left + byteUs - 1) / byteUs);
}

int CPosixPort::OutputQueueCount() {
    if (m_fd < 0) return 0;
    int queued = 0;
    if (::ioctl(m_fd, TIOCOUTQ, &queued) != 0) queued = 0;
    return m_bPseudoTerminal ? std::max(queued, EstimatedBacklog()) : queued;
}

int CPosixPort::PurgeOutput() {
    if (m_fd < 0) return 0;
    const int queued = OutputQueueCount();
    ::tcflush(m_fd, TCOFLUSH);
    if (!m_bPseudoTerminal) {
        m_lineFreeAtUs = 0;
        return queued;
    }
    // What the far end's reader has not taken yet stays there: it still
    // arrives, at the line's pace.
    const int kept = std::min(queued, PTY_FAR_BUFFER);
    m_lineFreeAtUs = 0;
    NoteHanded(kept);
    return queued - kept;
}

}  // namespace brelko
