#include "comlink/CPortSettings.h"

#include "comlink/CCommLink.h"

namespace brelko {

CPortSettings::CPortSettings(CCommLink* link) {
    if (link) Attach(link);
}

void CPortSettings::Attach(CCommLink* link) {
    m_pPort = link ? link->Port() : nullptr;
    Capture();
    Apply();
}

int CPortSettings::Capture() {
    if (!m_pPort) return LINK_GENERAL_ERROR;
    return m_pPort->GetParameters(m_nSavedBaud, m_cSavedParity, m_nSavedDataBits, m_nSavedStopBits) < 0
               ? LINK_GENERAL_ERROR
               : 0;
}

int CPortSettings::Apply() {
    if (!m_pPort) return LINK_GENERAL_ERROR;
    return m_pPort->SetParameters(m_nBaud, m_cParity, m_nDataBits, m_nStopBits) != 0 ? LINK_GENERAL_ERROR : 0;
}

int CPortSettings::Set(long baud, char parity, int dataBits, int stopBits) {
    m_nBaud = baud;
    m_cParity = parity;
    m_nDataBits = dataBits;
    m_nStopBits = stopBits;
    return Apply();
}

int CPortSettings::SetBaud(long baud) {
    const long old = m_nBaud;
    m_nBaud = baud;
    int result = Apply();
    if (result != 0) m_nBaud = old;
    return result;
}

int CPortSettings::Restore() {
    if (!m_pPort) return 0;
    m_nBaud = m_nSavedBaud;
    m_cParity = m_cSavedParity;
    m_nDataBits = m_nSavedDataBits;
    m_nStopBits = m_nSavedStopBits;
    return Apply();
}

}  // namespace brelko
