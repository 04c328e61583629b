// A packed snapshot of the port's lines, and the flow-control modes to put
// back later.
#pragma once

#include "comlink/CCommPort.h"

namespace brelko {

class CCommLink;

class CLineStatus {
public:
    // Takes the link's port, refreshes the snapshot and saves the port's
    // current handshake modes.
    explicit CLineStatus(CCommLink* link);

    int Restore();  // puts the saved handshake modes back
    int SetHandshaking(int receiveMode, int transmitMode);
    int GetHandshaking(int& receiveMode, int& transmitMode);
    int Refresh();  // the port's GetLineStatus into the snapshot

    int Dtr(int value);  // sets (0/1) or queries (-1) DTR; stores and returns the result
    // From the snapshot only; never touch the port. 1, 0, or 2 (not supported).
    int Cts() const { return Field(1, 0); }
    int Overrun() const { return Field(3, 6); }
    int ReceiveOverflow() const { return Field(3, 4); }
    int ParityError() const { return Field(3, 0); }
    int FramingError() const { return Field(3, 2); }
    int BreakDetected() const { return Field(2, 6); }

    const unsigned char* Snapshot() const { return m_packed; }
    int SavedReceiveMode() const { return m_nSavedReceive; }
    int SavedTransmitMode() const { return m_nSavedTransmit; }

private:
    int Field(int byte, int shift) const { return (m_packed[byte] >> shift) & 3; }

    int m_nSavedReceive = 0;
    int m_nSavedTransmit = 0;
    int m_nReceive = 0;
    int m_nTransmit = 0;
    unsigned char m_packed[4] = {0, 0, 0, 0};
    CCommPort* m_pPort;
};

}  // namespace brelko
