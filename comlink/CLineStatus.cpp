#include "comlink/CLineStatus.h"

#include "comlink/CCommLink.h"

namespace brelko {

CLineStatus::CLineStatus(CCommLink* link) : m_pPort(link ? link->Port() : nullptr) {
    Refresh();
    if (m_pPort) m_pPort->GetHandshaking(m_nSavedReceive, m_nSavedTransmit);
    m_nReceive = m_nSavedReceive;
    m_nTransmit = m_nSavedTransmit;
}

int CLineStatus::Restore() {
    return m_pPort ? m_pPort->SetHandshaking(m_nSavedReceive, m_nSavedTransmit) : LINK_GENERAL_ERROR;
}

int CLineStatus::SetHandshaking(int receiveMode, int transmitMode) {
    m_nReceive = receiveMode;
    m_nTransmit = transmitMode;
    return m_pPort ? m_pPort->SetHandshaking(receiveMode, transmitMode) : LINK_GENERAL_ERROR;
}

int CLineStatus::GetHandshaking(int& receiveMode, int& transmitMode) {
    return m_pPort ? m_pPort->GetHandshaking(receiveMode, transmitMode) : LINK_GENERAL_ERROR;
}

int CLineStatus::Refresh() {
    return m_pPort ? m_pPort->GetLineStatus(m_packed) : LINK_GENERAL_ERROR;
}

int CLineStatus::Dtr(int value) {
    if (!m_pPort) return LINK_GENERAL_ERROR;
    int result = m_pPort->Line(LINE_DTR, value);
    if (result < 0) return result;
    m_packed[0] = static_cast<unsigned char>((m_packed[0] & ~3u) | (static_cast<unsigned>(result) & 3u));
    return result & 3;
}

}  // namespace brelko
