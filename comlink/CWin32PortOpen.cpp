// Opening and closing the COM port: device names, exclusivity within the
// process, and the reason the user is told when a device cannot be opened.
#include <mutex>
#include <set>

#include "comlink/CWin32Port.h"
#include "platform/WideText.h"

namespace brelko {

namespace {

std::mutex g_mutex;
// Devices held open by port objects of this process that have no port number.
std::set<std::string> g_heldNames;

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// "COM7", "com7" or "\\.\COM7" give 6; anything else -1.
int ComPortNumber(const std::string& name) {
    std::string upper = Upper(name);
    if (upper.rfind("\\\\.\\", 0) == 0) upper.erase(0, 4);
    if (upper.size() < 4 || upper.size() > 6 || upper.compare(0, 3, "COM") != 0) return -1;
    int number = 0;
    for (std::size_t i = 3; i < upper.size(); ++i) {
        if (upper[i] < '0' || upper[i] > '9') return -1;
        number = number * 10 + (upper[i] - '0');
    }
    return number >= 1 ? number - 1 : -1;
}

// The label the user knows the device by: "COM3" rather than "\\.\COM3".
std::string Label(const std::string& device) {
    return device.rfind("\\\\.\\", 0) == 0 ? device.substr(4) : device;
}

}  // namespace

void CWin32Port::ApplyOpenDefaults(DCB& dcb, int receiveSize) {
    dcb.BaudRate = 19200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fBinary = 1;
    dcb.fNull = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.XonLim = static_cast<WORD>(receiveSize / 4);
    dcb.XoffLim = 128;
    // What the last program left here is not inherited: a driver that
    // aborts every request after a line error until ClearCommError, drops
    // bytes while DSR is off, replaces bad bytes with an error character or
    // checks a parity the line does not have would break the protocol on a
    // real serial driver (Wine ignores most of these).
    dcb.fAbortOnError = 0;
    dcb.fDsrSensitivity = 0;
    dcb.fErrorChar = 0;
    dcb.ErrorChar = 0;
    dcb.fParity = 0;
    dcb.fInX = 0;
    dcb.fOutX = 0;
    dcb.fTXContinueOnXoff = 1;
}

std::string CWin32Port::DeviceNameFor(int portNumber) {
    return "\\\\.\\COM" + std::to_string(portNumber + 1);
}

CWin32Port::CWin32Port(const std::string& deviceName, int receiveSize, int transmitSize, int defer) {
    const int number = ComPortNumber(deviceName);
    if (number >= 0) {
        m_nPort = number;
        m_strDevice = DeviceNameFor(number);
    } else {
        m_nPort = -1;
        m_bByName = true;
        m_strDevice = deviceName;
    }
    Start(receiveSize, transmitSize, defer);
}

int CWin32Port::Open() {
    NoteOpenFailure(OpenFailure::None, {});
    if (!m_pDcb && !Allocate()) return m_nError;
    const std::string label = Label(m_strDevice);
    if (!m_bByName) {
        if (!PortNumberInTable(m_nPort)) {
            NoteOpenFailure(OpenFailure::NotInTable, "There is no COM" + std::to_string(m_nPort + 1) +
                                                         ": choose COM1 to COM" +
                                                         std::to_string(OPEN_COUNT_TABLE_SIZE));
            return Record(LINK_GENERAL_ERROR);
        }
        if (OpenCount(m_nPort) != 0) {
            NoteOpenFailure(OpenFailure::AlreadyOpen, label + " is already open in this program");
            return Record(LINK_ALREADY_OPEN);
        }
    }
    if (OpenDevice() != 0) return m_nError;
    CountOpen();

    SetupComm(m_hDevice, m_nRxSize, m_nTxSize);
    // The caller's event mask starts empty; the driver's carries EV_RXCHAR
    // for Idle's waits.
    if (!GetCommMask(m_hDevice, &m_nSavedEventMask)) m_nSavedEventMask = 0;
    m_nEventMask = 0;
    SetDriverMask();

    GetCommState(m_hDevice, m_pDcb.get());
    ApplyOpenDefaults(*m_pDcb, m_nRxSize);

    // Reads return at once with whatever has arrived.
    m_bTimeoutsSaved = GetCommTimeouts(m_hDevice, m_pSavedTimeouts.get()) != 0;
    COMMTIMEOUTS timeouts {MAXDWORD, 0, 0, 0, 0};
    SetCommTimeouts(m_hDevice, &timeouts);

    // A baseline: errors from before this open are not this line's.
    m_nLineErrors = 0;
    PollErrors();
    m_nLineErrors = 0;
    if (WriteConfig() != 0) Record(TranslateSystemError());
    return m_nError;
}

int CWin32Port::OpenDevice() {
    const std::string label = Label(m_strDevice);
    if (m_bByName) {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_heldNames.count(Upper(m_strDevice))) {
            NoteOpenFailure(OpenFailure::AlreadyOpen, label + " is already open in this program");
            return Record(LINK_ALREADY_OPEN);
        }
    }
    // No sharing: another program cannot open the port while we hold it.
    HANDLE handle = m_bByName ? CreateFileW(win::Widen(m_strDevice).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr)
                              : CreateFileA(m_strDevice.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        m_nLastSystemError = static_cast<int>(error);
        switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_UNIT:
            NoteOpenFailure(OpenFailure::NoSuchDevice, "No such device: " + label);
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            // A COM port that another program holds answers "access denied".
            NoteOpenFailure(OpenFailure::Busy, label + " is busy: another program holds it");
            break;
        default:
            NoteOpenFailure(OpenFailure::Other, "Cannot open " + label + ": " + win::SystemMessage(error));
            break;
        }
        return Record(TranslateSystemError());
    }
    // A file or another device opens too; only a serial driver has a state.
    DCB probe {};
    probe.DCBlength = sizeof probe;
    if (!GetCommState(handle, &probe)) {
        m_nLastSystemError = static_cast<int>(GetLastError());
        CloseHandle(handle);
        NoteOpenFailure(OpenFailure::NotATty, label + " is not a serial device");
        return Record(TranslateSystemError());
    }
    if (m_bByName) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_heldNames.insert(Upper(m_strDevice));
        m_bNameHeld = true;
    }
    m_hDevice = handle;
    m_rxHead = m_rxTail = 0;
    m_bEventPending = false;
    m_bEventWaits = true;
    m_nEventFailures = 0;
    m_bModemLines = true;
    m_bVanished = false;
    return 0;
}

void CWin32Port::CancelPendingIo() {
    // The driver may still write into these structures: end every request
    // and wait for it before they go.
    if (m_bEventPending) {
        DWORD ignored = 0;
        CancelIoEx(m_hDevice, &m_eventOverlapped);
        GetOverlappedResult(m_hDevice, &m_eventOverlapped, &ignored, TRUE);
        m_bEventPending = false;
    }
    if (m_bWriting) {
        DWORD ignored = 0;
        CancelIoEx(m_hDevice, &m_pWrite->overlapped);
        GetOverlappedResult(m_hDevice, &m_pWrite->overlapped, &ignored, TRUE);
        m_bWriting = false;
    }
    if (m_pWrite) m_pWrite->bytes.clear();
    m_staged.clear();
}

void CWin32Port::ReleaseName() {
    if (!m_bNameHeld) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_heldNames.erase(Upper(m_strDevice));
    m_bNameHeld = false;
}

int CWin32Port::Close() {
    if (!IsOpen()) return 0;
    Purge(0, 0);
    Purge(1, 0);
    EscapeCommFunction(m_hDevice, CLRDTR);
    EscapeCommFunction(m_hDevice, CLRRTS);
    CancelPendingIo();
    // The time-outs and the event mask go back as the port had them, for the
    // next program.
    if (m_pSavedTimeouts && m_bTimeoutsSaved) SetCommTimeouts(m_hDevice, m_pSavedTimeouts.get());
    SetCommMask(m_hDevice, m_nSavedEventMask);
    const BOOL closed = CloseHandle(m_hDevice);
    m_hDevice = INVALID_HANDLE_VALUE;
    ReleaseName();
    return closed ? 0 : LINK_CLOSE_FAILED;
}

}  // namespace brelko
