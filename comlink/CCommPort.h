// The abstract port: every port operation as a virtual function. Operations a
// concrete port does not provide end the process through LibraryError.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "comlink/LinkCodes.h"

namespace brelko {

// Line numbers for Line() and the handshake modes.
constexpr int LINE_DTR = 3;
constexpr int LINE_RTS = 4;
constexpr int LINE_BREAK = 7;
constexpr int LINE_CTS = 12;
constexpr int LINE_DSR = 13;
constexpr int LINE_RI = 14;
constexpr int LINE_CD = 15;
constexpr int LINE_OVERRUN = 25;
constexpr int LINE_PARITY_ERROR = 26;
constexpr int LINE_FRAMING_ERROR = 27;
constexpr int LINE_BREAK_DETECTED = 28;
constexpr int LINE_RX_OVERFLOW = 31;

// Handshake modes (receive side: 0, 1, 3, 4; transmit side: 0, 1, 12, 13).
constexpr int HANDSHAKE_NONE = 0;
constexpr int HANDSHAKE_XONXOFF = 1;
constexpr int HANDSHAKE_DTR = 3;   // receive side
constexpr int HANDSHAKE_RTS = 4;   // receive side
constexpr int HANDSHAKE_CTS = 12;  // transmit side
constexpr int HANDSHAKE_DSR = 13;  // transmit side

// The queue state filled by GetBufferStatus.
struct CommBufferStatus {
    std::uint16_t rxValid = 0;  // always 1 once filled
    int rxCount = 0;            // bytes waiting to be read
    int rxSize = 0;
    std::uint16_t txValid = 0;  // always 1 once filled
    int txCount = 0;            // bytes still queued for sending
    int txSize = 0;
    std::uint16_t flags = 0;    // BLOCK_SENT, BLOCK_RECEIVED
};
constexpr std::uint16_t BLOCK_SENT = 0x01;      // we have sent XOFF
constexpr std::uint16_t BLOCK_RECEIVED = 0x02;  // our transmission is held (CTS, DSR or XOFF)

// GetBufferStatus selectors: the link asks for the transmit count alone or
// for everything.
constexpr int BUFFER_STATUS_TX = 2;
constexpr int BUFFER_STATUS_ALL = 7;

// DumpStatus hands each line to this; the text is valid during the call only.
using DumpLineCallback = std::function<int(const char* line)>;

// One unsigned 16-bit open counter per port number (0 is COM1).
constexpr int OPEN_COUNT_TABLE_SIZE = 256;

// Why a device could not be opened, beside the link code.
enum class OpenFailure {
    None,
    NotInTable,     // port number outside the open-count table
    AlreadyOpen,    // another port object of this process holds it
    NoSuchDevice,
    NoPermission,
    Busy,           // another program holds it
    NotATty,        // not a serial device
    Other,
};

class CCommPort {
public:
    CCommPort();
    // Decrements the open counter when this object opened its device.
    virtual ~CCommPort();
    CCommPort(const CCommPort&) = delete;
    CCommPort& operator=(const CCommPort&) = delete;

    virtual int Idle();
    virtual int UpdateStatus();
    virtual int Open();
    virtual int OpenDevice();
    virtual int Close();
    virtual int GetBufferStatus(CommBufferStatus& status, int selector);
    virtual int SetBufferSizes(int receiveSize, int xoffLimit, int transmitSize);
    virtual int SetHandshaking(int receiveMode, int transmitMode);
    virtual int GetHandshaking(int& receiveMode, int& transmitMode);
    virtual int Break(int state);
    virtual int Line(int line, int value);
    virtual int SetParameters(long baud, char parity, int dataBits, int stopBits);
    virtual int GetParameters(long& baud, char& parity, int& dataBits, int& stopBits);
    virtual int GetLineStatus(unsigned char packed[4]);
    virtual int PutChar(int byte);
    virtual int PutString(const char* text);
    virtual int Write(const void* buffer, int count);
    virtual int TransmitImmediate(int byte);
    virtual int GetChar();
    virtual int Read(void* buffer, int count);
    virtual int Purge(int which, int count);
    virtual int DumpStatus(const DumpLineCallback& callback);
    virtual int Reserved1();  // -803
    virtual int Reserved2();  // -803
    // Waits `milliseconds` without caring for received bytes: the pauses of
    // the link (the inter-character delay). Here it polls Idle, which a port
    // that can sleep on its device does better (received bytes that wait
    // unread would make Idle return at once). A negative Idle result is
    // returned at once.
    virtual int Pause(int milliseconds);
    // Bytes handed to the port that have not yet gone out on the line: the
    // driver's output queue. -1 when the port cannot tell (here).
    virtual int OutputQueueCount();
    // Empties the output queue and returns how many bytes it took back:
    // those never reach the device. -1 when the port cannot tell. Here:
    // the queue count just before Purge(1, 0).
    virtual int PurgeOutput();

    // The recorded error: TakeError returns and clears it, PeekError leaves it.
    int TakeError();
    int PeekError() const { return m_nError; }
    int PortNumber() const { return m_nPort; }

    // What every concrete port can tell and take, whatever its system: the
    // device line and the command line use these without knowing which port
    // they hold.
    virtual bool IsOpen() const { return false; }
    // The device the port opens ("/dev/ttyUSB0", "COM3"); empty when unknown.
    virtual std::string Device() const { return {}; }
    // Why the last Open failed, for the user: empty when it did not fail.
    const std::string& OpenFailureReason() const { return m_strOpenFailure; }
    OpenFailure OpenFailureKind() const { return m_openFailure; }
    // Ends the port's own waits (WaitEvent) early while *flag is true. The
    // flag must outlive the port; nullptr removes it. The link has its own.
    void SetCancelFlag(const std::atomic<bool>* flag) { m_pCancel = flag; }

    // The process-wide open-count table. Numbers outside it, -1 included,
    // are refused by the ports.
    static bool PortNumberInTable(int portNumber);
    static unsigned OpenCount(int portNumber);

protected:
    // Stores the code as the recorded error and returns it.
    int Record(int code);
    // Counts this object as holding its port number open (once).
    void CountOpen();

    void NoteOpenFailure(OpenFailure kind, std::string reason) {
        m_openFailure = kind;
        m_strOpenFailure = std::move(reason);
    }
    bool CancelRequested() const { return m_pCancel && m_pCancel->load(); }

    int m_nPort = 0;
    int m_nError = 0;
    OpenFailure m_openFailure = OpenFailure::None;
    std::string m_strOpenFailure;
    const std::atomic<bool>* m_pCancel = nullptr;

private:
    bool m_bCounted = false;
};

}  // namespace brelko
