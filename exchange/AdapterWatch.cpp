#include "exchange/AdapterWatch.h"

#include "exchange/CStatusView.h"

namespace brelko {

void AdapterWatch::SetPort(std::string name) {
    if (name == m_strPort) return;
    m_strPort = std::move(name);
    m_bGone = false;
    m_bDue = false;
}

bool AdapterWatch::OnVanished(const std::string& name) {
    if (m_strPort.empty() || name != m_strPort || m_bGone) return false;
    m_bGone = true;
    m_bDue = false;  // a reconnect pending from before would find nothing
    return true;
}

void AdapterWatch::OnReturned(const std::string& name) {
    if (name != m_strPort || !m_bGone) return;
    m_bGone = false;
    m_bDue = true;
}

bool AdapterWatch::ShouldReconnect(bool busy) {
    if (!m_bDue || busy) return false;
    m_bDue = false;
    return true;
}

bool AdapterWatch::ReconnectIfDue(CStatusView& view) {
    if (!ShouldReconnect(view.IsExchangeRunning())) return false;
    view.Connect();
    return true;
}

}  // namespace brelko
