// The concrete port on Windows: a COM device driven through the Win32 serial
// calls, opened for overlapped I/O.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "comlink/CCommPort.h"

namespace brelko {

class CWin32Port : public CCommPort {
public:
    // Port number n (0-based) opens "\\.\COM<n+1>". defer != 0 only sets up
    // the object; Open() may follow. Otherwise: Open(), then DTR and RTS on.
    CWin32Port(int portNumber, int receiveSize, int transmitSize, int defer);
    // A port by device name (the command line's --device). "COM<n>" is the
    // same port as number n-1, open counter included; any other name is
    // opened as it is given ("\\.\CNCA0") and has no port number (-1), though
    // a second object on the same name in this process still gets -838.
    CWin32Port(const std::string& deviceName, int receiveSize, int transmitSize, int defer);
    ~CWin32Port() override;

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
    // ClearCommError's COMSTAT.cbOutQue, or the bytes of writes still pending.
    int OutputQueueCount() override;
    int DumpStatus(const DumpLineCallback& callback) override;

    int SetEventChar(char c);            // the raw SetCommState result: non-zero on success
    int GetEventMask(unsigned& mask);
    int SetEventMask(unsigned mask);
    int WaitEvent(unsigned& events);     // waits for an event of the mask
    int GetModemLine(int mask);
    int TranslateSystemError();          // the last system error as a link code

    bool IsOpen() const override { return m_hDevice != INVALID_HANDLE_VALUE; }
    const std::string& DeviceName() const { return m_strDevice; }
    std::string Device() const override { return m_strDevice; }
    // The cached device control block, the port's only record of its
    // configuration; null before Open allocated it.
    const DCB* Config() const { return m_pDcb.get(); }
    // False once the driver has shown that it cannot wait for events (a
    // pseudo-terminal under Wine): Idle then sleeps its grain instead.
    bool EventWaitsWork() const { return m_bEventWaits; }
    // False when the driver cannot report modem lines at all; CTS, DSR and
    // CD then read as on, so that a three-wire line can connect.
    bool HasModemLines() const { return m_bModemLines; }
    // True once the device has gone (adapter unplugged, driver stopped): reads
    // and Idle fail with -835, writes with -834, as on a hung-up tty.
    bool Vanished() const { return m_bVanished; }
    // How many writes the port has handed to the driver since it was made.
    unsigned long WriteCalls() const { return m_nWriteCalls; }

    // The configuration Open writes over the driver's: the line as this
    // program uses it, and every field the protocol depends on, whatever the
    // last program left (error abort, DSR sensitivity, error character,
    // parity check, XON/XOFF).
    static void ApplyOpenDefaults(DCB& dcb, int receiveSize);

    // "\\.\COM<n+1>" for port number n.
    static std::string DeviceNameFor(int portNumber);

    // How long Idle sleeps in the system waiting for input: a byte that
    // arrives ends the wait at once where the driver can wait for events;
    // 10 ms is the grain of the tick count.
    static constexpr DWORD IDLE_WAIT_MS = 10;

private:
    struct PendingWrite {
        OVERLAPPED overlapped {};
        std::vector<unsigned char> bytes;  // the driver reads them until completion
    };

    // Stores the queue sizes; unless deferred: allocates, opens, raises DTR and RTS.
    void Start(int receiveSize, int transmitSize, int defer);
    bool Allocate();
    void NoteSystemError() { m_nLastSystemError = static_cast<int>(GetLastError()); }
    // A failed call: a device-gone error marks the port vanished and records
    // `code`; any other is only remembered for TranslateSystemError.
    void NoteFailure(DWORD error, int code);
    // ClearCommError, with the errors ORed in; false when the call failed.
    bool PollErrors(COMSTAT* stat = nullptr);
    int WriteConfig();
    int QueryLine(int line);
    bool ModemStatus(DWORD& status);
    int BufferedCount() const { return static_cast<int>(m_rxTail - m_rxHead); }
    int DriverRead(void* buffer, int count);
    int FillBuffer();
    // Finishes the write in flight when the driver is done with it (a
    // failure recorded) and starts the next burst.
    void ReapWrites();
    // Hands every staged byte to the driver in one write, unless one is in flight.
    void StartWrite();
    // Waits for the write a purge has aborted and forgets the staged bytes.
    void DropWrites();
    // Bytes not yet sent: the driver's queue (or the write in flight) and the staged ones.
    int QueuedWriteBytes(const COMSTAT& stat) const;
    void CancelPendingIo();
    void SetDriverMask();
    void ReleaseName();

    std::unique_ptr<DCB> m_pDcb;
    // Reads wait for their own completion on this one; writes have their own
    // (m_pWrite), left to complete in the background: bytes written meanwhile
    // are staged and go out together as the next write, so a restore sent
    // byte by byte makes one write per burst, not one per byte.
    std::unique_ptr<OVERLAPPED> m_pReadOverlapped;
    std::unique_ptr<COMMTIMEOUTS> m_pSavedTimeouts;
    HANDLE m_hDevice = INVALID_HANDLE_VALUE;
    std::string m_strDevice;
    bool m_bByName = false;
    bool m_bNameHeld = false;
    int m_nLastSystemError = 0;
    int m_nReceiveMode = 0;
    int m_nTransmitMode = 0;
    int m_nRts = 1;
    int m_nDtr = 1;
    std::uint16_t m_nBreak = 0;
    std::uint32_t m_nLineErrors = 0;
    std::uint8_t m_nModemStatus = 0;
    DWORD m_nSavedEventMask = 0;
    bool m_bTimeoutsSaved = false;
    unsigned m_nEventMask = 0;  // the caller's; the driver's adds EV_RXCHAR for Idle
    std::uint16_t m_nTxSize = 0;
    std::uint16_t m_nRxSize = 0;
    bool m_bModemLines = true;
    bool m_bVanished = false;

    std::unique_ptr<PendingWrite> m_pWrite;
    bool m_bWriting = false;             // m_pWrite is in the driver's hands
    std::vector<unsigned char> m_staged; // taken, waiting for the write in flight
    unsigned long m_nWriteCalls = 0;

    // Idle's wait for a received byte.
    OVERLAPPED m_eventOverlapped {};
    DWORD m_dwEvents = 0;
    bool m_bEventPending = false;
    bool m_bEventWaits = true;
    int m_nEventFailures = 0;

    // Bytes already taken from the driver and not yet handed out.
    static constexpr int RX_BUFFER_SIZE = 4096;
    unsigned char m_rxBuffer[RX_BUFFER_SIZE];
    unsigned m_rxHead = 0;
    unsigned m_rxTail = 0;
};

}  // namespace brelko
