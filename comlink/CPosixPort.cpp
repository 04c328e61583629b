// The tty port. Adaptations to this platform:
// - a device that cannot report its modem lines (pseudo-terminal, three-wire
//   adapter) reports CTS, DSR and CD as on, so that a connection can be made;
// - Idle waits on the descriptor for a few milliseconds instead of spinning,
//   so a silent line costs almost no processor time and a byte that arrives
//   ends the wait at once;
// - a device that vanishes (adapter unplugged, pty closed) fails reads (-835)
//   and writes (-834) with a recorded error at once, and Idle reports it, so
//   no wait goes on polling a dead descriptor;
// - line errors come from the driver's error counters where it has them.
#include "comlink/CPosixPort.h"
#include "comlink/PortRules.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Clock.h"
#include "comlink/UucpLock.h"

namespace brelko {

namespace {

bool SpeedFor(std::uint32_t baud, speed_t& speed) {
    struct Rate {
        std::uint32_t baud;
        speed_t speed;
    };
    static constexpr Rate kRates[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const Rate& rate : kRates) {
        if (rate.baud == baud) {
            speed = rate.speed;
            return true;
        }
    }
    return false;
}

}  // namespace

CPosixPort::CPosixPort(int portNumber, int receiveSize, int transmitSize, int defer) {
    m_nPort = portNumber;
    Init(receiveSize, transmitSize);
    if (defer) return;
    Open();
    if (IsOpen()) {
        Line(LINE_DTR, 1);
        Line(LINE_RTS, 1);
    }
}

CPosixPort::CPosixPort(std::string devicePath, int receiveSize, int transmitSize, int defer) {
    m_nPort = -1;
    m_bByPath = true;
    m_strDevice = std::move(devicePath);
    Init(receiveSize, transmitSize);
    if (defer) return;
    Open();
    if (IsOpen()) {
        Line(LINE_DTR, 1);
        Line(LINE_RTS, 1);
    }
}

CPosixPort::~CPosixPort() {
    if (m_fd >= 0) Close();
}

void CPosixPort::Init(int receiveSize, int transmitSize) {
    m_nRxSize = static_cast<std::uint16_t>(receiveSize);
    m_nTxSize = static_cast<std::uint16_t>(transmitSize);
}

void CPosixPort::NoteVanished(int code) {
    m_bVanished = true;
    Record(code);
}

bool CPosixPort::QueryLineErrorCounters(LineErrorCounters& counters) {
    if (m_bNoCounters || m_fd < 0) return false;
    serial_icounter_struct icount {};
    if (::ioctl(m_fd, TIOCGICOUNT, &icount) != 0) {
        // Pseudo-terminals and many adapters keep no counters; ask once.
        if (errno != EINTR) m_bNoCounters = true;
        return false;
    }
    counters.overrun = static_cast<std::uint32_t>(icount.overrun);
    counters.parity = static_cast<std::uint32_t>(icount.parity);
    counters.frame = static_cast<std::uint32_t>(icount.frame);
    counters.brk = static_cast<std::uint32_t>(icount.brk);
    counters.bufOverrun = static_cast<std::uint32_t>(icount.buf_overrun);
    return true;
}

bool CPosixPort::QueryModemLines(int& bits) {
    if (m_fd < 0) return false;
    return ::ioctl(m_fd, TIOCMGET, &bits) == 0;
}

bool CPosixPort::PollDriverErrors() {
    if (m_fd < 0) return true;
    LineErrorCounters now;
    if (QueryLineErrorCounters(now)) {
        if (m_bCountersKnown) {
            if (now.overrun != m_lastCounters.overrun) m_nLineErrors |= CE_OVERRUN;
            if (now.parity != m_lastCounters.parity) m_nLineErrors |= CE_RXPARITY;
            if (now.frame != m_lastCounters.frame) m_nLineErrors |= CE_FRAME;
            if (now.brk != m_lastCounters.brk) m_nLineErrors |= CE_BREAK;
            if (now.bufOverrun != m_lastCounters.bufOverrun) m_nLineErrors |= CE_RXOVER;
        }
        m_lastCounters = now;
        m_bCountersKnown = true;
    }
    return !m_bVanished;
}

int CPosixPort::WriteConfig() {
    if (m_fd < 0) {
        m_nLastSystemError = EBADF;
        return LINK_GENERAL_ERROR;
    }
    termios tio {};
    if (::tcgetattr(m_fd, &tio) != 0) {
        m_nLastSystemError = errno;
        return LINK_GENERAL_ERROR;
    }
    ::cfmakeraw(&tio);
    speed_t speed = B0;
    tcflag_t size = CS8;
    const bool sizeOk = m_config.ByteSize >= 5 && m_config.ByteSize <= 8;
    switch (m_config.ByteSize) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    default: break;
    }
    if (!SpeedFor(m_config.BaudRate, speed) || !sizeOk || m_config.Parity > 4) {
        m_nLastSystemError = EINVAL;
        return LINK_GENERAL_ERROR;
    }
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= size | CREAD | CLOCAL;
    switch (m_config.Parity) {
    case 1: tio.c_cflag |= PARENB | PARODD; break;
    case 2: tio.c_cflag |= PARENB; break;
    case 3: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case 4: tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    // One and a half stop bits are what the UART makes of CSTOPB with 5 bits.
    if (m_config.StopBits != 0) tio.c_cflag |= CSTOPB;
    // The driver has one switch for both directions of RTS/CTS flow control.
    // DTR/DSR flow control has no counterpart; it stays in the record only.
    if (m_config.fOutxCtsFlow || m_config.fRtsControl == RTS_CONTROL_HANDSHAKE) tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    if (m_config.fOutX) tio.c_iflag |= IXON;
    if (m_config.fInX) tio.c_iflag |= IXOFF;
    if (m_config.fParity) tio.c_iflag |= INPCK;
    tio.c_cc[VSTART] = static_cast<cc_t>(m_config.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(m_config.XoffChar);
    // With the descriptor non-blocking, VMIN 1 makes an empty queue read as
    // EAGAIN, so that 0 from read means the device has gone.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        m_nLastSystemError = errno;
        return LINK_GENERAL_ERROR;
    }
    // The control modes set the lines, as writing the configuration does on
    // the Windows port. Not every device has them.
    int dtr = TIOCM_DTR;
    int rts = TIOCM_RTS;
    if (m_config.fDtrControl == DTR_CONTROL_DISABLE) ::ioctl(m_fd, TIOCMBIC, &dtr);
    else if (m_config.fDtrControl == DTR_CONTROL_ENABLE) ::ioctl(m_fd, TIOCMBIS, &dtr);
    if (m_config.fRtsControl == RTS_CONTROL_DISABLE) ::ioctl(m_fd, TIOCMBIC, &rts);
    else if (m_config.fRtsControl == RTS_CONTROL_ENABLE) ::ioctl(m_fd, TIOCMBIS, &rts);
    return 0;
}

int CPosixPort::Idle() {
    if (BufferedCount() > 0) return 0;
    if (m_bVanished) return LINK_READ_ERROR;
    if (m_fd < 0) {
        Sleep(IDLE_WAIT_MS);
        return 0;
    }
    pollfd pfd {m_fd, POLLIN, 0};
    int ready = ::poll(&pfd, 1, IDLE_WAIT_MS);
    if (ready > 0 && !(pfd.revents & POLLIN) && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        NoteVanished(LINK_READ_ERROR);
        return LINK_READ_ERROR;
    }
    return 0;
}

int CPosixPort::Pause(int milliseconds) {
    if (milliseconds <= 0) return Idle() < 0 ? LINK_READ_ERROR : 0;
    if (m_bVanished) return LINK_READ_ERROR;
    if (m_fd < 0) {
        Sleep(static_cast<std::uint32_t>(milliseconds));
        return 0;
    }
    // No input events asked for: bytes waiting unread do not end the sleep.
    pollfd pfd {m_fd, 0, 0};
    const std::uint32_t start = GetTickCount();
    if (::poll(&pfd, 1, milliseconds) > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        // Perhaps gone: a read tells (bytes already taken stay untouched),
        // and otherwise the rest of the time is slept.
        if (BufferedCount() == 0) FillBuffer();
        if (m_bVanished) return LINK_READ_ERROR;
        const std::uint32_t passed = GetTickCount() - start;
        if (passed < static_cast<std::uint32_t>(milliseconds)) Sleep(static_cast<std::uint32_t>(milliseconds) - passed);
    }
    return 0;
}

int CPosixPort::UpdateStatus() {
    PollDriverErrors();
    int bits = 0;
    if (m_fd < 0) {
        m_nModemStatus = 0;
    } else if (QueryModemLines(bits)) {
        m_nModemStatus = static_cast<std::uint8_t>(((bits & TIOCM_CTS) ? MS_CTS_ON : 0) |
                                                   ((bits & TIOCM_DSR) ? MS_DSR_ON : 0) |
                                                   ((bits & TIOCM_RI) ? MS_RING_ON : 0) |
                                                   ((bits & TIOCM_CD) ? MS_RLSD_ON : 0));
    } else {
        m_nModemStatus = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
    }
    return 0;
}

int CPosixPort::GetBufferStatus(CommBufferStatus& status, int /*selector: everything is filled*/) {
    PollDriverErrors();
    int queuedIn = 0;
    int queuedOut = 0;
    if (m_fd >= 0) {
        if (::ioctl(m_fd, FIONREAD, &queuedIn) != 0) queuedIn = 0;
        if (::ioctl(m_fd, TIOCOUTQ, &queuedOut) != 0) queuedOut = 0;
    }
    status.rxValid = 1;
    status.rxCount = queuedIn + BufferedCount();
    status.rxSize = m_nRxSize;
    status.txValid = 1;
    status.txCount = queuedOut;
    status.txSize = m_nTxSize;
    status.flags = 0;
    // The driver does not say whether it has sent XOFF or received one; only
    // a transmission held by CTS or DSR can be seen.
    int bits = 0;
    if (m_fd >= 0 && (m_config.fOutxCtsFlow || m_config.fOutxDsrFlow) && QueryModemLines(bits)) {
        if ((m_config.fOutxCtsFlow && !(bits & TIOCM_CTS)) || (m_config.fOutxDsrFlow && !(bits & TIOCM_DSR)))
            status.flags |= BLOCK_RECEIVED;
    }
    return 0;
}

int CPosixPort::SetBufferSizes(int receiveSize, int xoffLimit, int transmitSize) {
    Purge(0, 0);
    Purge(1, 0);
    if (receiveSize) m_nRxSize = static_cast<std::uint16_t>(receiveSize);
    if (transmitSize) m_nTxSize = static_cast<std::uint16_t>(transmitSize);
    m_config.XonLim = static_cast<std::uint16_t>(m_nRxSize / 4);
    if (xoffLimit) m_config.XoffLim = static_cast<std::uint16_t>(xoffLimit);
    Purge(0, 0);
    Purge(1, 0);
    if (WriteConfig() != 0) return Record(TranslateSystemError());
    return 0;
}

int CPosixPort::SetHandshaking(int receiveMode, int transmitMode) {
    int recorded = 0;
    const int result = portrules::ApplyHandshake(m_config, receiveMode, transmitMode, &recorded);
    if (result != 0) {
        Record(recorded);
        return result;
    }
    if (WriteConfig() != 0) return Record(TranslateSystemError());
    m_nReceiveMode = receiveMode;
    m_nTransmitMode = transmitMode;
    return 0;
}

int CPosixPort::GetHandshaking(int& receiveMode, int& transmitMode) {
    receiveMode = m_nReceiveMode;
    transmitMode = m_nTransmitMode;
    return 0;
}

int CPosixPort::Break(int state) {
    if (state < 0) return m_nBreak;
    if (m_fd < 0 || ::ioctl(m_fd, state == 1 ? TIOCSBRK : TIOCCBRK) != 0) return Record(LINK_BREAK_ERROR);
    // Anything but 1 cleared the break, so the cached state says off.
    m_nBreak = state == 1 ? 1 : 0;
    return m_nBreak;
}

int CPosixPort::QueryLine(int line) {
    switch (line) {
    case LINE_DTR: return m_nDtr;
    case LINE_RTS: return m_nRts;
    case LINE_BREAK: return m_nBreak;
    case LINE_CTS:
    case LINE_DSR:
    case LINE_RI:
    case LINE_CD: {
        int bits = 0;
        if (m_fd < 0) return 0;
        if (!QueryModemLines(bits)) return line == LINE_RI ? 0 : 1;  // no modem lines: assume connected
        int mask = line == LINE_CTS ? TIOCM_CTS : line == LINE_DSR ? TIOCM_DSR : line == LINE_RI ? TIOCM_RI : TIOCM_CD;
        return (bits & mask) ? 1 : 0;
    }
    case 17:
    case 18:
    case 19:
    case 20: return 0;
    case LINE_OVERRUN: return (m_nLineErrors & CE_OVERRUN) ? 1 : 0;
    case LINE_PARITY_ERROR: return (m_nLineErrors & CE_RXPARITY) ? 1 : 0;
    case LINE_FRAMING_ERROR: return (m_nLineErrors & CE_FRAME) ? 1 : 0;
    case LINE_BREAK_DETECTED: return (m_nLineErrors & CE_BREAK) ? 1 : 0;
    case LINE_RX_OVERFLOW: return (m_nLineErrors & CE_RXOVER) ? 1 : 0;
    default: return 2;
    }
}

int CPosixPort::Line(int line, int value) {
    if (value != -1) {
        if (line == LINE_BREAK) return Break(value);
        if (line == LINE_DTR || line == LINE_RTS) {
            const bool raise = value != 0;
            int bit = line == LINE_DTR ? TIOCM_DTR : TIOCM_RTS;
            if (line == LINE_DTR) {
                m_nDtr = raise ? 1 : 0;
                m_config.fDtrControl = raise ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
            } else {
                m_nRts = raise ? 1 : 0;
                m_config.fRtsControl = raise ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
            }
            if (m_fd >= 0) ::ioctl(m_fd, raise ? TIOCMBIS : TIOCMBIC, &bit);  // not every device has the line
        }
    }
    return QueryLine(line);
}

int CPosixPort::SetParameters(long baud, char parity, int dataBits, int stopBits) {
    if (const int refused = portrules::ApplyParameters(m_config, baud, parity, dataBits, stopBits)) return Record(refused);
    if (WriteConfig() != 0) return Record(TranslateSystemError());
    return 0;
}

int CPosixPort::GetParameters(long& baud, char& parity, int& dataBits, int& stopBits) {
    portrules::ReadParameters(m_config, baud, parity, dataBits, stopBits);
    return 0;
}

int CPosixPort::GetLineStatus(unsigned char packed[4]) {
    UpdateStatus();
    portrules::PackLineStatus(packed, [this](int line) { return QueryLine(line); });
    m_nLineErrors = 0;
    m_nModemStatus = 0;
    return 0;
}

int CPosixPort::PutChar(int byte) {
    unsigned char c = static_cast<unsigned char>(byte);
    return Write(&c, 1) == 1 ? 0 : m_nError;
}

int CPosixPort::PutString(const char* text) {
    if (!text) return 0;
    return Write(text, static_cast<int>(std::strlen(text)));
}

int CPosixPort::Write(const void* buffer, int count) {
    if (!buffer || count <= 0) return 0;
    PollDriverErrors();
    if (m_bVanished) {
        Record(LINK_WRITE_ERROR);
        return 0;
    }
    int queued = 0;
    if (m_fd >= 0 && ::ioctl(m_fd, TIOCOUTQ, &queued) != 0) queued = 0;
    const int room = std::max(0, static_cast<int>(m_nTxSize) - queued);
    const int handed = std::min(count, room);
    int written = 0;
    if (m_fd >= 0 && handed > 0) {
        ssize_t n = ::write(m_fd, buffer, static_cast<size_t>(handed));
        if (n > 0) {
            written = static_cast<int>(n);
            NoteHanded(written);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            PollDriverErrors();
            NoteVanished(LINK_WRITE_ERROR);
            return 0;
        }
    }
    if (written < count) Record(LINK_BUFFER_FULL);
    return written;
}

int CPosixPort::TransmitImmediate(int byte) {
    unsigned char c = static_cast<unsigned char>(byte);
    if (m_fd < 0 || m_bVanished || ::write(m_fd, &c, 1) != 1) return LINK_GENERAL_ERROR;
    return 0;
}

int CPosixPort::FillBuffer() {
    if (m_fd < 0 || m_bVanished) return 0;
    PollDriverErrors();
    m_rxHead = m_rxTail = 0;
    ssize_t n = ::read(m_fd, m_rxBuffer, sizeof m_rxBuffer);
    if (n > 0) {
        m_rxTail = static_cast<unsigned>(n);
        return static_cast<int>(n);
    }
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) NoteVanished(LINK_READ_ERROR);
    return 0;
}

int CPosixPort::GetChar() {
    if (BufferedCount() == 0 && FillBuffer() == 0) return LINK_TIMEOUT;
    return m_rxBuffer[m_rxHead++];
}

int CPosixPort::Read(void* buffer, int count) {
    if (!buffer || count <= 0) return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    int done = std::min(count, BufferedCount());
    std::memcpy(out, m_rxBuffer + m_rxHead, static_cast<size_t>(done));
    m_rxHead += static_cast<unsigned>(done);
    if (done == count || m_fd < 0 || m_bVanished) return done;
    PollDriverErrors();
    ssize_t n = ::read(m_fd, out + done, static_cast<size_t>(count - done));
    if (n > 0) return done + static_cast<int>(n);
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) NoteVanished(LINK_READ_ERROR);
    return done;
}

int CPosixPort::Purge(int which, int count) {
    if (which != 0) {
        PurgeOutput();
        return 0;
    }
    if (count == 0) {
        m_rxHead = m_rxTail = 0;
        if (m_fd >= 0) ::tcflush(m_fd, TCIFLUSH);
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        if (GetChar() < 0) return 0;
    }
    return LINK_GENERAL_ERROR;  // count bytes discarded: more may be waiting
}

int CPosixPort::DumpStatus(const DumpLineCallback& callback) {
    if (!callback) return LINK_BAD_ARGUMENT;
    CommBufferStatus status;
    GetBufferStatus(status, BUFFER_STATUS_ALL);
    return portrules::DumpStatusLines(m_config, status, callback);
}

int CPosixPort::SetEventChar(char c) {
    m_config.EvtChar = c;
    return WriteConfig() == 0 ? 1 : 0;
}

int CPosixPort::GetEventMask(unsigned& mask) {
    if (m_fd < 0) {
        m_nLastSystemError = EBADF;
        return TranslateSystemError();
    }
    mask = m_nEventMask;
    return 0;
}

int CPosixPort::SetEventMask(unsigned mask) {
    if (m_fd < 0) {
        m_nLastSystemError = EBADF;
        return TranslateSystemError();
    }
    m_nEventMask = mask;
    return 0;
}

int CPosixPort::WaitEvent(unsigned& events) {
    // Event bits: 0x01 byte received, 0x02 event character received, 0x04
    // transmit queue empty, 0x08 CTS, 0x10 DSR, 0x20 CD, 0x40 break, 0x80
    // line error, 0x100 ring (the last five on a change).
    events = 0;
    if (m_fd < 0 || m_nEventMask == 0) {
        m_nLastSystemError = m_fd < 0 ? EBADF : EINVAL;
        return TranslateSystemError();
    }
    int startBits = 0;
    const bool haveLines = QueryModemLines(startBits);
    const std::uint32_t startErrors = m_nLineErrors;
    for (;;) {
        if (BufferedCount() == 0) FillBuffer();
        if (BufferedCount() > 0) {
            events |= m_nEventMask & 0x01;
            if (std::memchr(m_rxBuffer + m_rxHead, static_cast<unsigned char>(m_config.EvtChar),
                            static_cast<size_t>(BufferedCount())))
                events |= m_nEventMask & 0x02;
        }
        int queued = 0;
        if (::ioctl(m_fd, TIOCOUTQ, &queued) == 0 && queued == 0) events |= m_nEventMask & 0x04;
        int bits = 0;
        if (haveLines && QueryModemLines(bits)) {
            int changed = bits ^ startBits;
            if (changed & TIOCM_CTS) events |= m_nEventMask & 0x08;
            if (changed & TIOCM_DSR) events |= m_nEventMask & 0x10;
            if (changed & TIOCM_CD) events |= m_nEventMask & 0x20;
            if (changed & TIOCM_RI) events |= m_nEventMask & 0x100;
        }
        PollDriverErrors();
        std::uint32_t newErrors = m_nLineErrors & ~startErrors;
        if (newErrors & CE_BREAK) events |= m_nEventMask & 0x40;
        if (newErrors & ~CE_BREAK) events |= m_nEventMask & 0x80;
        if (events) return 0;
        if (m_pCancel && m_pCancel->load()) return LINK_TIMEOUT;
        // Without the receive events in the mask, bytes that wait unread
        // are no reason to wake: sleep instead of spinning on them.
        const int idle = (m_nEventMask & 0x03) ? Idle() : Pause(IDLE_WAIT_MS);
        if (idle < 0) return idle;
    }
}

int CPosixPort::GetModemLine(int mask) {
    if (mask == 1) return m_nDtr;
    if (mask == 2) return m_nRts;
    UpdateStatus();
    return (m_nModemStatus & mask) ? 1 : 0;
}

int CPosixPort::TranslateSystemError() {
    return portrules::TranslateSystemError(m_nLastSystemError);
}

}  // namespace brelko
