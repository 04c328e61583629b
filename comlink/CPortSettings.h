// Saves a port's baud rate, parity, data bits and stop bits and puts them
// back later.
#pragma once

#include "comlink/CCommPort.h"

namespace brelko {

class CCommLink;

class CPortSettings {
public:
    // Both sets start at 1200 baud, 'N', 8, 1. With a link: Attach.
    explicit CPortSettings(CCommLink* link = nullptr);

    // Takes the link's port, captures its parameters into the saved set and
    // applies the current set.
    void Attach(CCommLink* link);
    int Capture();  // 0, or -801 without a port
    int Apply();    // 0, or -801 when the port refuses or there is none
    int Set(long baud, char parity, int dataBits, int stopBits);
    int SetBaud(long baud);  // puts the old baud back into the current set on failure
    int Restore();           // saved set back to current, applied

    long Baud() const { return m_nBaud; }
    char Parity() const { return m_cParity; }
    int DataBits() const { return m_nDataBits; }
    int StopBits() const { return m_nStopBits; }
    long SavedBaud() const { return m_nSavedBaud; }
    char SavedParity() const { return m_cSavedParity; }
    int SavedDataBits() const { return m_nSavedDataBits; }
    int SavedStopBits() const { return m_nSavedStopBits; }

private:
    long m_nBaud = 1200;
    char m_cParity = 'N';
    int m_nDataBits = 8;
    int m_nStopBits = 1;
    long m_nSavedBaud = 1200;
    char m_cSavedParity = 'N';
    int m_nSavedDataBits = 8;
    int m_nSavedStopBits = 1;
    CCommPort* m_pPort = nullptr;
};

}  // namespace brelko
