// The rules both concrete ports follow, whatever their system: how handshake
// modes and line parameters change the cached device control block, how the
// line status is packed, the status dump's lines, and the system-error
// mapping. The block is the Win32 DCB on Windows and its twin PortConfig on
// termios; both have the same field names.
#pragma once

#include <cstdint>
#include <cstdio>

#include "comlink/CCommPort.h"
#include "comlink/LinkCodes.h"

namespace brelko::portrules {

// DCB values, under names of their own (windows.h has macros for the others).
constexpr unsigned kControlDisable = 0;
constexpr unsigned kControlEnable = 1;
constexpr unsigned kControlHandshake = 2;
constexpr std::uint8_t kOneStopBit = 0;
constexpr std::uint8_t kOne5StopBits = 1;
constexpr std::uint8_t kTwoStopBits = 2;

struct ParityLetter {
    char letter;
    std::uint8_t value;
};
constexpr ParityLetter kParities[] = {{'N', 0}, {'O', 1}, {'E', 2}, {'M', 3}, {'S', 4}};

// Clears the flow control and applies the modes. Returns 0 when the block is
// ready to be written; otherwise the code to return, with *recorded the code
// to record (they differ for an unknown receive mode). Refused modes leave
// the cleared bits in the block, to go out with the next successful write.
template <class Block>
int ApplyHandshake(Block& b, int receiveMode, int transmitMode, int* recorded) {
    b.fInX = 0;
    b.fOutX = 0;
    if (b.fRtsControl == kControlHandshake) b.fRtsControl = kControlEnable;
    if (b.fDtrControl == kControlHandshake) b.fDtrControl = kControlEnable;
    b.fOutxCtsFlow = 0;
    b.fOutxDsrFlow = 0;
    switch (receiveMode) {
    case HANDSHAKE_NONE: break;
    case HANDSHAKE_XONXOFF: b.fInX = 1; break;
    case HANDSHAKE_DTR: b.fDtrControl = kControlHandshake; break;
    case HANDSHAKE_RTS: b.fRtsControl = kControlHandshake; break;
    case 13: return *recorded = LINK_NOT_SUPPORTED;
    default:
        *recorded = LINK_BAD_HANDSHAKE;
        return LINK_GENERAL_ERROR;
    }
    switch (transmitMode) {
    case HANDSHAKE_NONE: break;
    case HANDSHAKE_XONXOFF: b.fOutX = 1; break;
    case HANDSHAKE_CTS: b.fOutxCtsFlow = 1; break;
    case HANDSHAKE_DSR: b.fOutxDsrFlow = 1; break;
    case 15: return *recorded = LINK_NOT_SUPPORTED;
    default: return *recorded = LINK_BAD_ARGUMENT;
    }
    return *recorded = 0;
}

// Checks and stores the parameters in order: parity, baud (judged by the
// driver later), data bits, stop bits. 0 when the block is ready to be
// written, else the code to record and return; what was stored stays.
template <class Block>
int ApplyParameters(Block& b, long baud, char parity, int dataBits, int stopBits) {
    const ParityLetter* found = nullptr;
    for (const ParityLetter& p : kParities) {
        if (p.letter == parity) found = &p;
    }
    if (!found) return LINK_BAD_PARITY;
    b.Parity = found->value;
    b.BaudRate = static_cast<std::uint32_t>(baud);
    if (dataBits < 4 || dataBits > 8) return LINK_BAD_WORD_LENGTH;
    b.ByteSize = static_cast<std::uint8_t>(dataBits);
    if (stopBits != 1 && stopBits != 2) return LINK_BAD_STOP_BITS;
    b.StopBits = stopBits == 1 ? kOneStopBit : kTwoStopBits;
    // Five data bits always get one and a half stop bits.
    if (dataBits == 5) b.StopBits = kOne5StopBits;
    return 0;
}

template <class Block>
void ReadParameters(const Block& b, long& baud, char& parity, int& dataBits, int& stopBits) {
    baud = static_cast<long>(b.BaudRate);
    dataBits = b.ByteSize;
    stopBits = b.StopBits == kTwoStopBits ? 2 : 1;
    parity = 0;
    for (const ParityLetter& p : kParities) {
        if (p.value == b.Parity) parity = p.letter;
    }
}

// Sixteen 2-bit fields, each the query result of one line, lowest bits first.
template <class Query>
void PackLineStatus(unsigned char packed[4], Query query) {
    static constexpr int kLines[4][4] = {
        {LINE_DTR, LINE_RTS, LINE_BREAK, LINE_DSR},
        {LINE_CTS, LINE_RI, LINE_CD, 20},
        {19, 17, 18, LINE_BREAK_DETECTED},
        {LINE_PARITY_ERROR, LINE_FRAMING_ERROR, LINE_RX_OVERFLOW, LINE_OVERRUN},
    };
    for (int byte = 0; byte < 4; ++byte) {
        unsigned value = 0;
        for (int field = 0; field < 4; ++field)
            value |= static_cast<unsigned>(query(kLines[byte][field]) & 3) << (2 * field);
        packed[byte] = static_cast<unsigned char>(value);
    }
}

// The six lines of the status dump; returns the last callback's value.
template <class Block>
int DumpStatusLines(const Block& c, const CommBufferStatus& status, const DumpLineCallback& callback) {
    char line[192];  // one buffer serves all six lines
    int result = 0;
    std::snprintf(line, sizeof line, "Port type: MS Win32  BaudRate: %-6u  ByteSize: %1d  Parity: %1d",
                  static_cast<unsigned>(c.BaudRate), static_cast<int>(c.ByteSize), static_cast<int>(c.Parity));
    result = callback(line);
    std::snprintf(line, sizeof line, "StopBits: %1d  fBinary: %1d  fRtsControl: %1d", static_cast<int>(c.StopBits),
                  static_cast<int>(c.fBinary), static_cast<int>(c.fRtsControl));
    result = callback(line);
    std::snprintf(line, sizeof line,
                  "Parity: %1d  OutCtsFlow: %1d  OutDsrFlow: %1d  DtrControl: %1d  OutX: %1d  InX: %1d",
                  static_cast<int>(c.fParity), static_cast<int>(c.fOutxCtsFlow), static_cast<int>(c.fOutxDsrFlow),
                  static_cast<int>(c.fDtrControl), static_cast<int>(c.fOutX), static_cast<int>(c.fInX));
    result = callback(line);
    std::snprintf(line, sizeof line, "Null: %1d  XonChar: %02x  XoffChar: %02x", static_cast<int>(c.fNull),
                  static_cast<unsigned char>(c.XonChar), static_cast<unsigned char>(c.XoffChar));
    result = callback(line);
    std::snprintf(line, sizeof line, "XonLim: %-5u XoffLim: %-5u EofChr: %02x  EvtChr: %02x",
                  static_cast<unsigned>(c.XonLim), static_cast<unsigned>(c.XoffLim),
                  static_cast<unsigned char>(c.EofChar), static_cast<unsigned char>(c.EvtChar));
    result = callback(line);
    std::snprintf(line, sizeof line, "RX sz/ct: %5d/%-5d  TX sz/ct: %5d/%-5d  BLOCK SENT:%d  BLOCK RECEIVED:%d",
                  status.rxSize, status.rxCount, status.txSize, status.txCount, (status.flags & BLOCK_SENT) ? 1 : 0,
                  (status.flags & BLOCK_RECEIVED) ? 1 : 0);
    result = callback(line);
    return result;
}

// The link code for a system error number; the system's own numbers are
// never negative, so in practice this is -801.
inline int TranslateSystemError(int error) {
    switch (error) {
    case -12: return LINK_BAD_BAUD;
    case -11: return LINK_BAD_WORD_LENGTH;
    case -10:
    case -3:
    case -1: return LINK_OPEN_FAILED;
    case -5: return LINK_BAD_ARGUMENT;
    case -4: return LINK_NO_MEMORY;
    case -2: return LINK_ALREADY_OPEN;
    default: return LINK_GENERAL_ERROR;
    }
}

}  // namespace brelko::portrules
