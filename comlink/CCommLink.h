// The link: wraps a port and adds time-outs, line endings, terminator-driven
// reads and the error check. The rest of the program reads and writes here.
#pragma once

#include <atomic>
#include <memory>

#include "comlink/CCommPort.h"
#include "comlink/LineTrace.h"

namespace brelko {

class CLineStatus;
class CPortSettings;

// PutString endings besides a byte value 0..255.
constexpr int ENDING_NONE = -1;
constexpr int ENDING_LF = -2;
constexpr int ENDING_CRLF = -3;

// CheckErrors flags.
constexpr std::uint16_t LINK_FLAG_PARITY = 0x01;
constexpr std::uint16_t LINK_FLAG_FRAMING = 0x02;
constexpr std::uint16_t LINK_FLAG_RX_OVERFLOW = 0x04;
constexpr std::uint16_t LINK_FLAG_OVERRUN = 0x08;
constexpr std::uint16_t LINK_FLAG_BREAK = 0x10;

class CCommLink {
public:
    // Borrows the port. When the port has no recorded error, puts 9600 baud,
    // no parity, 8 data bits, 1 stop bit and no handshake on it; the helpers
    // it makes put back what they captured when the link is destroyed.
    explicit CCommLink(CCommPort* port);
    virtual ~CCommLink();
    CCommLink(const CCommLink&) = delete;
    CCommLink& operator=(const CCommLink&) = delete;

    // The byte (0..255), or -802 when none came within `timeout` ms (one
    // attempt with 0). Any negative value means no byte: a vanished device
    // gives its recorded error code at once.
    virtual int GetChar(int timeout);
    virtual int PutChar(int byte);
    virtual int Reserved();  // -803

    // Reads up to `count` bytes within `timeout` ms and NUL-terminates them:
    // the buffer needs count + 1 bytes. Returns the count read, 0 for a null
    // buffer, or a negative code when the wait was given up.
    int Read(void* buffer, int count, int timeout);
    // Reads bytes until the terminator (a byte value, or -1 for none) has
    // been stored, `maximum` bytes are stored, or `timeout` ms have passed.
    // NUL-terminates: the buffer needs maximum + 1 bytes. Returns the count
    // stored, terminator included, or a negative code when the wait was given up.
    int ReadUntil(void* buffer, int maximum, int terminator, int timeout);
    // Sends the text and the ending (ENDING_NONE, ENDING_LF, ENDING_CRLF or a
    // byte value). Returns the bytes taken, ending included; 0 for a null text
    // or a bad ending.
    int PutString(const char* text, int ending);
    int PutLine(const char* text) { return PutString(text, ENDING_LF); }

    int TxCount();
    int GetBufferStatus(CommBufferStatus& status);
    int PurgeReceive(int count);
    int PurgeTransmit();
    // The port's recorded error (taken), else 0 with the line-error flags.
    int CheckErrors(std::uint16_t& flags);

    CCommPort* Port() const { return m_pPort; }
    CLineStatus* LineStatus() const { return m_pLineStatus.get(); }
    CPortSettings* Settings() const { return m_pSettings.get(); }
    int Delay() const { return m_nDelay; }
    void SetDelay(int milliseconds) { m_nDelay = milliseconds; }

    // While *flag is true every wait ends at once with -802, so that another
    // thread can cut a transfer short. The flag must outlive the link.
    void SetCancelFlag(const std::atomic<bool>* flag) { m_pCancel = flag; }
    bool Cancelled() const { return m_pCancel && m_pCancel->load(std::memory_order_relaxed); }

    // Every byte that passes the link in either direction goes to this trace
    // while it records. The trace must outlive the link; nullptr removes it.
    void SetTrace(LineTrace* trace) { m_pTrace = trace; }

private:
    void Traced(TraceDirection direction, const void* bytes, int count) {
        if (m_pTrace && count > 0) m_pTrace->Record(direction, bytes, static_cast<std::size_t>(count));
    }

    int m_nDelay = 0;
    CCommPort* m_pPort;
    std::unique_ptr<CLineStatus> m_pLineStatus;
    std::unique_ptr<CPortSettings> m_pSettings;
    const std::atomic<bool>* m_pCancel = nullptr;
    LineTrace* m_pTrace = nullptr;
};

}  // namespace brelko
