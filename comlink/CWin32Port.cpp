// The COM port's operations. Adaptations, the same as the tty port's:
// - Idle sleeps in the system: it waits for a received byte with
//   WaitCommEvent and WaitForSingleObject, at most 10 ms, instead of calling
//   Sleep(0) in a spin. A driver that cannot wait for events (a pty under
//   Wine aborts every wait at once) gets a 10 ms sleep instead;
// - a device that cannot report its modem lines reports CTS, DSR and CD as on,
//   so that a connection can be made;
// - a device that vanishes (adapter unplugged: ClearCommError, ReadFile,
//   WriteFile or GetCommModemStatus fail with a device-gone error) fails
//   reads and Idle (-835) and writes (-834) with a recorded error at once, as
//   the tty port does on a hang-up, instead of looking like a silent line;
// - received bytes are taken from the driver in one read and handed out from
//   a buffer of the port's own, so a byte costs no system call of its own;
// - the OVERLAPPED structures have event handles; writes go out one burst at
//   a time (CWin32PortWrite.cpp).
#include "comlink/CWin32Port.h"
#include "comlink/CWin32PortErrors.h"
#include "comlink/PortRules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace brelko {

namespace {

// Line errors as the line numbers report them.
constexpr DWORD kLineErrorBits = CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME | CE_BREAK;

// Failed event waits in a row after which the driver is taken not to
// support them.
constexpr int kEventFailureLimit = 3;

}  // namespace

CWin32Port::CWin32Port(int portNumber, int receiveSize, int transmitSize, int defer) {
    m_nPort = portNumber;
    m_strDevice = DeviceNameFor(portNumber);
    Start(receiveSize, transmitSize, defer);
}

CWin32Port::~CWin32Port() {
    if (IsOpen()) Close();
    if (m_eventOverlapped.hEvent) CloseHandle(m_eventOverlapped.hEvent);
    if (m_pReadOverlapped && m_pReadOverlapped->hEvent) CloseHandle(m_pReadOverlapped->hEvent);
    if (m_pWrite && m_pWrite->overlapped.hEvent) CloseHandle(m_pWrite->overlapped.hEvent);
}

void CWin32Port::Start(int receiveSize, int transmitSize, int defer) {
    m_nRxSize = static_cast<std::uint16_t>(receiveSize);
    m_nTxSize = static_cast<std::uint16_t>(transmitSize);
    if (defer || !Allocate()) return;
    Open();
    if (IsOpen()) {
        Line(LINE_DTR, 1);
        Line(LINE_RTS, 1);
    }
}

bool CWin32Port::Allocate() {
    m_pDcb.reset(new (std::nothrow) DCB{});
    m_pReadOverlapped.reset(new (std::nothrow) OVERLAPPED{});
    m_pSavedTimeouts.reset(new (std::nothrow) COMMTIMEOUTS{});
    m_pWrite.reset(new (std::nothrow) PendingWrite{});
    if (m_pReadOverlapped) m_pReadOverlapped->hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_pWrite) m_pWrite->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_eventOverlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_pDcb || !m_pReadOverlapped || !m_pSavedTimeouts || !m_pWrite || !m_pReadOverlapped->hEvent ||
        !m_pWrite->overlapped.hEvent || !m_eventOverlapped.hEvent) {
        if (m_pReadOverlapped && m_pReadOverlapped->hEvent) CloseHandle(m_pReadOverlapped->hEvent);
        if (m_pWrite && m_pWrite->overlapped.hEvent) CloseHandle(m_pWrite->overlapped.hEvent);
        if (m_eventOverlapped.hEvent) CloseHandle(m_eventOverlapped.hEvent);
        m_eventOverlapped.hEvent = nullptr;
        m_pDcb.reset();
        m_pReadOverlapped.reset();
        m_pSavedTimeouts.reset();
        m_pWrite.reset();
        Record(LINK_NO_MEMORY);
        return false;
    }
    m_pDcb->DCBlength = sizeof(DCB);
    return true;
}

void CWin32Port::NoteFailure(DWORD error, int code) {
    m_nLastSystemError = static_cast<int>(error);
    if (!win32port::IsDeviceGone(error)) return;
    m_bVanished = true;
    Record(code);
}

bool CWin32Port::PollErrors(COMSTAT* stat) {
    if (!IsOpen() || m_bVanished) return false;
    DWORD errors = 0;
    COMSTAT local {};
    if (!ClearCommError(m_hDevice, &errors, stat ? stat : &local)) {
        NoteFailure(GetLastError(), LINK_READ_ERROR);
        return false;
    }
    m_nLineErrors |= errors & kLineErrorBits;
    return true;
}

int CWin32Port::WriteConfig() {
    if (!IsOpen() || !m_pDcb) {
        m_nLastSystemError = ERROR_INVALID_HANDLE;
        return LINK_GENERAL_ERROR;
    }
    if (!SetCommState(m_hDevice, m_pDcb.get())) {
        NoteSystemError();
        return LINK_GENERAL_ERROR;
    }
    return 0;
}

bool CWin32Port::ModemStatus(DWORD& status) {
    status = 0;
    if (!IsOpen() || m_bVanished) return false;
    if (GetCommModemStatus(m_hDevice, &status)) return true;
    const DWORD error = GetLastError();
    if (win32port::MeansNoModemLines(error)) {
        // The driver has no modem lines to report (a pty under Wine, or a
        // virtual port): take the line as connected.
        m_bModemLines = false;
        status = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
        return true;
    }
    // Any other failure is no line at all: CTS reads off.
    status = 0;
    NoteFailure(error, LINK_READ_ERROR);
    return false;
}

int CWin32Port::Idle() {
    if (BufferedCount() > 0) return 0;
    if (m_bVanished) return LINK_READ_ERROR;
    if (!IsOpen()) {
        Sleep(IDLE_WAIT_MS);
        return 0;
    }
    // Every turn asks the driver, a wait in progress or not: a device that
    // has gone shows there first. Bytes waiting for the write in flight go
    // out as soon as it ends.
    COMSTAT stat {};
    const bool polled = PollErrors(&stat);
    ReapWrites();
    if (m_bVanished) return LINK_READ_ERROR;
    if (polled && stat.cbInQue > 0) return 0;
    if (m_bEventWaits) {
        if (!m_bEventPending) {
            ResetEvent(m_eventOverlapped.hEvent);
            m_dwEvents = 0;
            if (WaitCommEvent(m_hDevice, &m_dwEvents, &m_eventOverlapped)) return 0;
            if (GetLastError() == ERROR_IO_PENDING) {
                m_bEventPending = true;
            } else if (++m_nEventFailures >= kEventFailureLimit) {
                m_bEventWaits = false;
            }
        }
        if (m_bEventPending) {
            if (WaitForSingleObject(m_eventOverlapped.hEvent, IDLE_WAIT_MS) != WAIT_OBJECT_0) return 0;
            DWORD ignored = 0;
            m_bEventPending = false;
            if (GetOverlappedResult(m_hDevice, &m_eventOverlapped, &ignored, FALSE)) {
                m_nEventFailures = 0;
                return 0;
            }
            if (++m_nEventFailures >= kEventFailureLimit) m_bEventWaits = false;
        }
    }
    Sleep(IDLE_WAIT_MS);
    return m_bVanished ? LINK_READ_ERROR : 0;
}

int CWin32Port::UpdateStatus() {
    PollErrors();
    DWORD status = 0;
    ModemStatus(status);
    m_nModemStatus = static_cast<std::uint8_t>(status & 0xFF);
    return 0;
}

int CWin32Port::GetBufferStatus(CommBufferStatus& status, int /*selector: everything is filled*/) {
    COMSTAT stat {};
    PollErrors(&stat);
    ReapWrites();
    status.rxValid = 1;
    status.rxCount = static_cast<int>(stat.cbInQue) + BufferedCount();
    status.rxSize = m_nRxSize;
    status.txValid = 1;
    // Bytes of a write still pending count as queued, as the driver counts them.
    status.txCount = QueuedWriteBytes(stat);
    status.txSize = m_nTxSize;
    status.flags = 0;
    if (stat.fXoffSent) status.flags |= BLOCK_SENT;
    if (stat.fCtsHold || stat.fDsrHold || stat.fXoffHold) status.flags |= BLOCK_RECEIVED;
    return 0;
}

int CWin32Port::OutputQueueCount() {
    COMSTAT stat {};
    ReapWrites();
    PollErrors(&stat);
    // What has not left yet: the driver's queue, the write in flight and
    // the bytes still staged for the next one.
    return QueuedWriteBytes(stat);
}

int CWin32Port::SetBufferSizes(int receiveSize, int xoffLimit, int transmitSize) {
    Purge(0, 0);
    Purge(1, 0);
    if (receiveSize) m_nRxSize = static_cast<std::uint16_t>(receiveSize);
    if (transmitSize) m_nTxSize = static_cast<std::uint16_t>(transmitSize);
    if (m_pDcb) {
        m_pDcb->XonLim = static_cast<WORD>(m_nRxSize / 4);
        if (xoffLimit) m_pDcb->XoffLim = static_cast<WORD>(xoffLimit);
    }
    if (IsOpen() && !SetupComm(m_hDevice, m_nRxSize, m_nTxSize)) NoteSystemError();
    Purge(0, 0);
    Purge(1, 0);
    if (WriteConfig() != 0) return Record(TranslateSystemError());
    return 0;
}

int CWin32Port::SetHandshaking(int receiveMode, int transmitMode) {
    if (!m_pDcb) return Record(LINK_GENERAL_ERROR);
    int recorded = 0;
    const int result = portrules::ApplyHandshake(*m_pDcb, receiveMode, transmitMode, &recorded);
    if (result != 0) {
        Record(recorded);
        return result;
    }
    if (WriteConfig() != 0) return Record(TranslateSystemError());
    m_nReceiveMode = receiveMode;
    m_nTransmitMode = transmitMode;
    return 0;
}

int CWin32Port::GetHandshaking(int& receiveMode, int& transmitMode) {
    receiveMode = m_nReceiveMode;
    transmitMode = m_nTransmitMode;
    return 0;
}

int CWin32Port::Break(int state) {
    if (state < 0) return m_nBreak;
    const BOOL ok = IsOpen() && (state == 1 ? SetCommBreak(m_hDevice) : ClearCommBreak(m_hDevice));
    if (!ok) return Record(LINK_BREAK_ERROR);
    // Anything but 1 cleared the break, so the cached state says off.
    m_nBreak = state == 1 ? 1 : 0;
    return m_nBreak;
}

int CWin32Port::QueryLine(int line) {
    switch (line) {
    case LINE_DTR: return m_nDtr;
    case LINE_RTS: return m_nRts;
    case LINE_BREAK: return m_nBreak;
    case LINE_CTS:
    case LINE_DSR:
    case LINE_RI:
    case LINE_CD: {
        DWORD status = 0;
        if (!ModemStatus(status)) return 0;
        const DWORD mask = line == LINE_CTS ? MS_CTS_ON
                           : line == LINE_DSR ? MS_DSR_ON
                           : line == LINE_RI  ? MS_RING_ON
                                              : MS_RLSD_ON;
        return (status & mask) ? 1 : 0;
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

int CWin32Port::Line(int line, int value) {
    if (value != -1) {
        if (line == LINE_BREAK) return Break(value);
        if (line == LINE_DTR || line == LINE_RTS) {
            const bool raise = value != 0;
            DWORD function = 0;
            if (line == LINE_DTR) {
                m_nDtr = raise ? 1 : 0;
                if (m_pDcb) m_pDcb->fDtrControl = raise ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
                function = raise ? SETDTR : CLRDTR;
            } else {
                m_nRts = raise ? 1 : 0;
                if (m_pDcb) m_pDcb->fRtsControl = raise ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
                function = raise ? SETRTS : CLRRTS;
            }
            // Not checked: not every device has the line (a pty under Wine has none).
            if (IsOpen()) EscapeCommFunction(m_hDevice, function);
        }
    }
    return QueryLine(line);
}

int CWin32Port::SetParameters(long baud, char parity, int dataBits, int stopBits) {
    if (!m_pDcb) return Record(LINK_GENERAL_ERROR);
    if (const int refused = portrules::ApplyParameters(*m_pDcb, baud, parity, dataBits, stopBits)) return Record(refused);
    if (WriteConfig() != 0) return Record(TranslateSystemError());
    return 0;
}

int CWin32Port::GetParameters(long& baud, char& parity, int& dataBits, int& stopBits) {
    if (!m_pDcb) {
        baud = 0;
        parity = 0;
        dataBits = 0;
        stopBits = 1;
        return 0;
    }
    portrules::ReadParameters(*m_pDcb, baud, parity, dataBits, stopBits);
    return 0;
}

int CWin32Port::GetLineStatus(unsigned char packed[4]) {
    UpdateStatus();
    portrules::PackLineStatus(packed, [this](int line) { return QueryLine(line); });
    m_nLineErrors = 0;
    m_nModemStatus = 0;
    return 0;
}

int CWin32Port::TransmitImmediate(int byte) {
    if (!IsOpen() || m_bVanished || !TransmitCommChar(m_hDevice, static_cast<char>(byte))) return LINK_GENERAL_ERROR;
    return 0;
}

int CWin32Port::DriverRead(void* buffer, int count) {
    COMSTAT stat {};
    if (!PollErrors(&stat) || stat.cbInQue == 0 || count <= 0) return 0;
    const DWORD wanted = std::min(static_cast<DWORD>(count), stat.cbInQue);
    OVERLAPPED& overlapped = *m_pReadOverlapped;
    ResetEvent(overlapped.hEvent);
    DWORD got = 0;
    if (!ReadFile(m_hDevice, buffer, wanted, &got, &overlapped)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            NoteFailure(error, LINK_READ_ERROR);
            PollErrors();
            return 0;
        }
        // Short: only bytes already queued were asked for.
        if (!GetOverlappedResult(m_hDevice, &overlapped, &got, TRUE)) {
            NoteFailure(GetLastError(), LINK_READ_ERROR);
            return 0;
        }
    }
    return static_cast<int>(got);
}

int CWin32Port::FillBuffer() {
    if (!IsOpen()) return 0;
    m_rxHead = m_rxTail = 0;
    m_rxTail = static_cast<unsigned>(DriverRead(m_rxBuffer, RX_BUFFER_SIZE));
    return static_cast<int>(m_rxTail);
}

int CWin32Port::GetChar() {
    if (BufferedCount() == 0 && FillBuffer() == 0) return LINK_TIMEOUT;
    return m_rxBuffer[m_rxHead++];
}

int CWin32Port::Read(void* buffer, int count) {
    if (!buffer || count <= 0) return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    const int done = std::min(count, BufferedCount());
    std::memcpy(out, m_rxBuffer + m_rxHead, static_cast<std::size_t>(done));
    m_rxHead += static_cast<unsigned>(done);
    if (done == count || !IsOpen()) return done;
    return done + DriverRead(out + done, count - done);
}

int CWin32Port::Purge(int which, int count) {
    if (which != 0) {
        // On a serial driver the pending overlapped writes are the transmit
        // data: PURGE_TXCLEAR alone would leave them to go out.
        if (IsOpen()) PurgeComm(m_hDevice, PURGE_TXABORT | PURGE_TXCLEAR);
        DropWrites();
        return 0;
    }
    if (count == 0) {
        m_rxHead = m_rxTail = 0;
        if (IsOpen()) PurgeComm(m_hDevice, PURGE_RXCLEAR);
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        if (GetChar() < 0) return 0;
    }
    return LINK_GENERAL_ERROR;  // count bytes discarded: more may be waiting
}

int CWin32Port::DumpStatus(const DumpLineCallback& callback) {
    if (!callback) return LINK_BAD_ARGUMENT;
    DCB empty {};
    CommBufferStatus status;
    GetBufferStatus(status, BUFFER_STATUS_ALL);
    return portrules::DumpStatusLines(m_pDcb ? *m_pDcb : empty, status, callback);
}

int CWin32Port::SetEventChar(char c) {
    if (!IsOpen() || !m_pDcb || !GetCommState(m_hDevice, m_pDcb.get())) return 0;
    m_pDcb->EvtChar = c;
    return SetCommState(m_hDevice, m_pDcb.get());
}

void CWin32Port::SetDriverMask() {
    // Idle's waits need EV_RXCHAR whatever the caller's mask; setting the
    // mask ends a wait in progress, which Idle then starts again.
    if (IsOpen()) SetCommMask(m_hDevice, EV_RXCHAR | m_nEventMask);
}

int CWin32Port::GetEventMask(unsigned& mask) {
    if (!IsOpen()) {
        m_nLastSystemError = ERROR_INVALID_HANDLE;
        return TranslateSystemError();
    }
    mask = m_nEventMask;
    return 0;
}

int CWin32Port::SetEventMask(unsigned mask) {
    if (!IsOpen()) {
        m_nLastSystemError = ERROR_INVALID_HANDLE;
        return TranslateSystemError();
    }
    m_nEventMask = mask;
    SetDriverMask();
    return 0;
}

int CWin32Port::WaitEvent(unsigned& events) {
    // The events of the mask, found the same way on every driver: received
    // bytes, the event character among them, an empty transmit queue, a
    // change of a modem line, a break or another line error.
    events = 0;
    if (!IsOpen() || m_nEventMask == 0) {
        m_nLastSystemError = IsOpen() ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE;
        return TranslateSystemError();
    }
    DWORD startLines = 0;
    ModemStatus(startLines);
    const std::uint32_t startErrors = m_nLineErrors;
    for (;;) {
        if (BufferedCount() == 0) FillBuffer();
        if (BufferedCount() > 0) {
            events |= m_nEventMask & EV_RXCHAR;
            if (std::memchr(m_rxBuffer + m_rxHead, static_cast<unsigned char>(m_pDcb->EvtChar),
                            static_cast<std::size_t>(BufferedCount())))
                events |= m_nEventMask & EV_RXFLAG;
        }
        COMSTAT stat {};
        PollErrors(&stat);
        ReapWrites();
        if (QueuedWriteBytes(stat) == 0) events |= m_nEventMask & EV_TXEMPTY;
        DWORD lines = 0;
        ModemStatus(lines);
        const DWORD changed = lines ^ startLines;
        if (changed & MS_CTS_ON) events |= m_nEventMask & EV_CTS;
        if (changed & MS_DSR_ON) events |= m_nEventMask & EV_DSR;
        if (changed & MS_RLSD_ON) events |= m_nEventMask & EV_RLSD;
        if (changed & MS_RING_ON) events |= m_nEventMask & EV_RING;
        const std::uint32_t newErrors = m_nLineErrors & ~startErrors;
        if (newErrors & CE_BREAK) events |= m_nEventMask & EV_BREAK;
        if (newErrors & ~static_cast<std::uint32_t>(CE_BREAK)) events |= m_nEventMask & EV_ERR;
        if (events) return 0;
        if (CancelRequested()) return LINK_TIMEOUT;
        const int idle = Idle();
        if (idle < 0) return idle;
    }
}

int CWin32Port::GetModemLine(int mask) {
    if (mask == 1) return m_nDtr;
    if (mask == 2) return m_nRts;
    DWORD status = 0;
    ModemStatus(status);
    return (status & static_cast<DWORD>(mask)) ? 1 : 0;
}

int CWin32Port::TranslateSystemError() {
    return portrules::TranslateSystemError(m_nLastSystemError);
}

}  // namespace brelko
