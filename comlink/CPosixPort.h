// The concrete port: a tty device (serial port, USB adapter, pseudo-terminal)
// driven through termios and the tty ioctls.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "comlink/CCommPort.h"

namespace brelko {

class UucpLock;

// True for the slave end of one of the system's pseudo-terminals.
bool IsPseudoTerminal(int fd);

// The port's only record of its configuration. Every change is made here
// first and then written to the device (tcsetattr); DumpStatus prints it.
// Field names follow the Windows serial device control block, so both ports read alike.
struct PortConfig {
    std::uint32_t BaudRate = 9600;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    unsigned fBinary = 1;
    unsigned fParity = 0;
    unsigned fOutxCtsFlow = 0;
    unsigned fOutxDsrFlow = 0;
    unsigned fDtrControl = 1;
    unsigned fDsrSensitivity = 0;
    unsigned fTXContinueOnXoff = 0;
    unsigned fOutX = 0;
    unsigned fInX = 0;
    unsigned fErrorChar = 0;
    unsigned fNull = 0;
    unsigned fRtsControl = 1;
    unsigned fAbortOnError = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    char XonChar = 0x11;
    char XoffChar = 0x13;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
};
constexpr unsigned DTR_CONTROL_DISABLE = 0;
constexpr unsigned DTR_CONTROL_ENABLE = 1;
constexpr unsigned DTR_CONTROL_HANDSHAKE = 2;
constexpr unsigned RTS_CONTROL_DISABLE = 0;
constexpr unsigned RTS_CONTROL_ENABLE = 1;
constexpr unsigned RTS_CONTROL_HANDSHAKE = 2;

// Accumulated line errors, as the Windows CE_ bits name them.
constexpr std::uint32_t CE_RXOVER = 0x0001;
constexpr std::uint32_t CE_OVERRUN = 0x0002;
constexpr std::uint32_t CE_RXPARITY = 0x0004;
constexpr std::uint32_t CE_FRAME = 0x0008;
constexpr std::uint32_t CE_BREAK = 0x0010;

// Modem status bits, the low byte the port keeps after UpdateStatus.
constexpr std::uint8_t MS_CTS_ON = 0x10;
constexpr std::uint8_t MS_DSR_ON = 0x20;
constexpr std::uint8_t MS_RING_ON = 0x40;
constexpr std::uint8_t MS_RLSD_ON = 0x80;

// The driver's cumulative error counters (TIOCGICOUNT).
struct LineErrorCounters {
    std::uint32_t overrun = 0;     // hardware overrun
    std::uint32_t parity = 0;
    std::uint32_t frame = 0;
    std::uint32_t brk = 0;
    std::uint32_t bufOverrun = 0;  // receive queue overflow
};

class CPosixPort : public CCommPort {
public:
    // Port number n (0-based) opens the device path that DevicePathFor(n)
    // names. defer != 0 only sets up the object; Open() may follow.
    // Otherwise: Open(), then DTR and RTS on.
    CPosixPort(int portNumber, int receiveSize, int transmitSize, int defer);
    // A port on an explicit device path (command line, simulator). It has no
    // port number (-1) and no open counter; a second object on the same
    // device in this process still gets -838.
    CPosixPort(std::string devicePath, int receiveSize, int transmitSize, int defer);
    ~CPosixPort() override;

    int Idle() override;
    int UpdateStatus() override;
    int Open() override;
    int OpenDevice() override;
    int Close() override;
    int GetBufferStatus(CommBufferStatus& status, int selector) override;
    int SetBufferSizes(int receiveSize, int xoffLimit, int transmitSize) override;
    int SetHandshaking(int receiveMode, int transmitMode) override;
    int GetHandshaking(int& receiveMode, int& transmitMode) override;
    int Break(int state) override;
    int Line(int line, int value) override;
    int SetParameters(long baud, char parity, int dataBits, int stopBits) override;
    int GetParameters(long& baud, char& parity, int& dataBits, int& stopBits) override;
    int GetLineStatus(unsigned char packed[4]) override;
    int PutChar(int byte) override;
    int PutString(const char* text) override;
    int Write(const void* buffer, int count) override;
    int TransmitImmediate(int byte) override;
    int GetChar() override;
    int Read(void* buffer, int count) override;
    int Purge(int which, int count) override;
    int DumpStatus(const DumpLineCallback& callback) override;
    // Sleeps on the descriptor for the time given; only a hang-up wakes it.
    int Pause(int milliseconds) override;
    // The driver's output queue (TIOCOUTQ). A pseudo-terminal keeps none
    // that it would tell: there the port counts what its configured rate
    // cannot have carried yet since the bytes were handed over.
    int OutputQueueCount() override;
    // A pseudo-terminal's far end keeps what its reader has not taken yet
    // (up to PTY_FAR_BUFFER bytes) out of reach of a purge.
    int PurgeOutput() override;
    static constexpr int PTY_FAR_BUFFER = 4095;

    // Six more, as the Windows port has them.
    int SetEventChar(char c);            // non-zero on success
    int GetEventMask(unsigned& mask);
    int SetEventMask(unsigned mask);
    int WaitEvent(unsigned& events);     // waits for an event of the mask
    int GetModemLine(int mask);
    int TranslateSystemError();          // the last system error as a link code

    bool IsOpen() const override { return m_fd >= 0; }
    const std::string& DevicePath() const { return m_strDevice; }
    std::string Device() const override { return m_strDevice; }
    const PortConfig& Config() const { return m_config; }
    // The device for a port number: the process-wide override when set, else
    // Ports/COM<n+1> of the settings file, else /dev/ttyS<n>.
    static std::string DevicePathFor(int portNumber);
    // Makes every port number open this device path (empty: back to the
    // settings). For the command line's --device and the in-process simulator.
    static void SetDeviceOverride(std::string devicePath);
    static std::string DeviceOverride();

    // The user-facing reason for an open() failure with errno `err` on the
    // device: no such device; no permission (names the device's group and
    // that a new login is needed after joining it); busy (names the holder
    // from /proc where it can).
    static std::string DescribeOpenFailure(const std::string& devicePath, int err, OpenFailure* kind = nullptr);
    // "program (pid N)" for every other process that has the device open;
    // one that holds the master side of the same pty is its far end, not a
    // holder.
    static std::string DeviceHolders(const std::string& devicePath);
    // The name of the device's group, its number when unnamed; empty when
    // the device cannot be seen.
    static std::string DeviceGroup(const std::string& devicePath);
    // The program name of a process ("?" when it cannot be seen).
    static std::string ProcessName(long pid);

    // How long Idle waits on the descriptor for input: a byte that arrives
    // ends the wait at once; 10 ms is the grain of the Windows tick count.
    static constexpr int IDLE_WAIT_MS = 10;

protected:
    // The driver's error counters; false when the device has none (pty).
    // Tests override it to inject line errors.
    virtual bool QueryLineErrorCounters(LineErrorCounters& counters);
    // The modem lines as TIOCM_ bits; false when the device cannot report
    // them (pty, three-wire adapter).
    virtual bool QueryModemLines(int& bits);

    // ClearCommError's counterpart: ORs new line errors into the accumulated
    // errors and returns false when the device has vanished.
    bool PollDriverErrors();
    // Writes the cached configuration to the device (0 or a link code).
    int WriteConfig();

private:
    void Init(int receiveSize, int transmitSize);
    void NoteVanished(int code);
    int BufferedCount() const { return static_cast<int>(m_rxTail - m_rxHead); }
    int FillBuffer();
    int QueryLine(int line);
    // Refuses the open as a device another program holds.
    int RefuseBusy(std::string reason);
    // The line's own pace, for a device that keeps no output count: the
    // bytes just written leave one byte time after another.
    void NoteHanded(int count);
    int EstimatedBacklog() const;

    PortConfig m_config;
    std::string m_strDevice;
    bool m_bByPath = false;
    int m_fd = -1;
    int m_nLastSystemError = 0;
    int m_nReceiveMode = 0;
    int m_nTransmitMode = 0;
    int m_nRts = 1;
    int m_nDtr = 1;
    std::uint16_t m_nBreak = 0;
    std::uint32_t m_nLineErrors = 0;
    std::uint8_t m_nModemStatus = 0;
    unsigned m_nSavedEventMask = 0;
    unsigned m_nEventMask = 0;
    std::uint16_t m_nTxSize = 0;
    std::uint16_t m_nRxSize = 0;
    bool m_bCountersKnown = false;
    bool m_bNoCounters = false;
    LineErrorCounters m_lastCounters;
    bool m_bVanished = false;
    bool m_bPseudoTerminal = false;
    // Steady clock: when the handed bytes are all out. A purge that stops a
    // block may come from another thread than the writer's.
    std::atomic<std::int64_t> m_lineFreeAtUs{0};
    bool m_bDeviceKeyHeld = false;
    unsigned long long m_deviceKey = 0;
    std::unique_ptr<UucpLock> m_pLock;  // held while the device is open
    // Bytes already taken from the driver and not yet handed out.
    static constexpr int RX_BUFFER_SIZE = 4096;
    unsigned char m_rxBuffer[RX_BUFFER_SIZE];
    unsigned m_rxHead = 0;
    unsigned m_rxTail = 0;
};

}  // namespace brelko
