// The program's one connection to the vision system: the configured port,
// the link over it, the line-status helper, and the flags that record how far
// a connection got. Offers the two primitives of the exchange: send a command
// and check its echo, and read one reply line.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

// The portable part of the link only: the system's port stays behind
// MakeSystemPort, so that its headers (windows.h) reach no user of the line.
#include "comlink/CCommLink.h"
#include "comlink/CCommPort.h"
#include "comlink/CLineStatus.h"
#include "comlink/CPortSettings.h"
#include "comlink/deviceline/LineFault.h"
#include "comlink/LinkCodes.h"

namespace brelko {

class CDeviceLine {
public:
    // Per-byte time-out of the echo and of reply lines.
    static constexpr int BYTE_TIMEOUT_MS = 500;
    static constexpr int RECEIVE_QUEUE = 4096;
    static constexpr int TRANSMIT_QUEUE = 2048;
    // ReadLine() gives up on a line this long: a device that never sends LF
    // must not make it grow without end.
    static constexpr std::size_t MAX_LINE = 65536;

    // Makes the port of Custom/Comport (default 1, minus 1), the link and the
    // line-status helper. Checks nothing; m_bPortOpen stays 0 until Reopen.
    CDeviceLine();
    // Restores the handshake modes, then deletes the helper, link and port.
    virtual ~CDeviceLine();
    CDeviceLine(const CDeviceLine&) = delete;
    CDeviceLine& operator=(const CDeviceLine&) = delete;

    // Rebuilds port, link and helper from the current settings and selects
    // RTS/CTS handshake. True on success; on failure m_bPortOpen and m_bReady
    // are 0 and OpenFailureReason() says why when the system told us.
    bool Reopen();
    // Sends the command and a LF; true when the echo equals the command byte
    // for byte, each byte within 500 ms.
    bool SendCommand(const std::string& command);
    // The same; when the echo fails, *fault says what the line did instead:
    // nothing at all, a hang-up, bytes that do not belong to the echo (they
    // are counted), or another echo. To tell noise from another echo it
    // listens on until the line is quiet (at most LISTEN_LIMIT bytes), so
    // it suits an exchange whose line is cleared afterwards.
    bool SendCommand(const std::string& command, LineFaultReport* fault);
    static constexpr std::size_t LISTEN_LIMIT = 4096;
    // One reply line, with its LF if one came; stops after 500 ms of silence
    // (or at MAX_LINE bytes).
    std::string ReadLine();
    // The same into the caller's buffer, at most capacity - 1 bytes and a NUL.
    // Returns a pointer to the NUL; nullptr without a buffer or capacity.
    char* ReadLine(char* buffer, std::size_t capacity);
    // How the last ReadLine ended: 0 at its line feed (or a full buffer),
    // LINK_TIMEOUT after silence, another negative code when the device has
    // vanished.
    int LastReadEnd() const { return m_nLastReadEnd; }

    CCommPort* Port() const { return m_pPort.get(); }
    CCommLink* Link() const { return m_pLink.get(); }
    CLineStatus* LineStatus() const { return m_pLineStatus.get(); }

    // Makes the port of every later connection (construction and Reopen);
    // an empty function goes back to the system's own port (MakeSystemPort).
    // Tests put a port subclass under the line this way (injected line
    // errors, modem lines, queues).
    using PortFactory = std::function<std::unique_ptr<CCommPort>(int portNumber, int receiveSize, int transmitSize)>;
    static void SetPortFactory(PortFactory factory);
    // The port of this system for a port number, opened at once: CWin32Port
    // on Windows, CPosixPort elsewhere.
    static std::unique_ptr<CCommPort> MakeSystemPort(int portNumber, int receiveSize, int transmitSize);
    // The same for a device the user names (a tty path, or "COM3").
    static std::unique_ptr<CCommPort> MakeSystemPort(const std::string& device, int receiveSize, int transmitSize);
    // The device a port number opens: /dev/ttyS<n> or what the settings file
    // maps COM<n+1> to; "\\.\COM<n+1>" on Windows.
    static std::string SystemDeviceName(int portNumber);

    // Why the port could not be opened, for the status window and the
    // command line; empty when it opened (or failed without a system reason).
    std::string OpenFailureReason() const;

    // The record of the line: off until started; every later connection's
    // link feeds it. Start and stop it from any thread at any time.
    LineTrace& Trace() { return m_trace; }

    // A cancel request, from any thread (a signal watcher, the GUI): while it
    // stands, SendCommand and ReadLine return at once and every wait of the
    // link ends with -802. Workers check CancelRequested() in their loops.
    void RequestCancel() { m_bCancel.store(true); }
    bool CancelRequested() const { return m_bCancel.load(); }
    void ClearCancel() { m_bCancel.store(false); }

    int m_bPortOpen = 0;
    int m_bContact = 0;
    int m_bRightPort = 0;
    int m_bKnownSystem = 0;
    int m_bReady = 0;

private:
    void MakeConnection();
    void DropConnection();

    LineTrace m_trace;  // first: outlives the links that feed it
    std::unique_ptr<CCommPort> m_pPort;
    std::unique_ptr<CCommLink> m_pLink;
    std::unique_ptr<CLineStatus> m_pLineStatus;
    std::atomic<bool> m_bCancel{false};
    int m_nLastReadEnd = 0;
};

// What a failed echo was: `heard` are the bytes that came in its place,
// `end` the link's result that ended them (0, LINK_TIMEOUT or a vanished
// device's code). Pure: the device line feeds it what it read.
LineFaultReport ClassifyEcho(const std::string& command, const std::string& heard, int end);

}  // namespace brelko
