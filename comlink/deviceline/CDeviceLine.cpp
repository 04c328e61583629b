#include "comlink/deviceline/CDeviceLine.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "platform/Profile.h"

namespace brelko {

namespace {

int ConfiguredPortNumber() {
    return Profile::GetInt("Custom", "Comport", 1) - 1;
}

std::mutex g_factoryMutex;
CDeviceLine::PortFactory g_portFactory;

std::unique_ptr<CCommPort> MakePort(int portNumber, int receiveSize, int transmitSize) {
    CDeviceLine::PortFactory factory;
    {
        std::lock_guard lock(g_factoryMutex);
        factory = g_portFactory;
    }
    if (factory) {
        if (std::unique_ptr<CCommPort> port = factory(portNumber, receiveSize, transmitSize)) return port;
    }
    return CDeviceLine::MakeSystemPort(portNumber, receiveSize, transmitSize);
}

}  // namespace

CDeviceLine::CDeviceLine() {
    MakeConnection();
    m_pLineStatus = std::make_unique<CLineStatus>(m_pLink.get());
}

CDeviceLine::~CDeviceLine() {
    DropConnection();
}

void CDeviceLine::MakeConnection() {
    m_pPort = MakePort(ConfiguredPortNumber(), RECEIVE_QUEUE, TRANSMIT_QUEUE);
    m_pPort->SetCancelFlag(&m_bCancel);
    m_pLink = std::make_unique<CCommLink>(m_pPort.get());
    m_pLink->SetCancelFlag(&m_bCancel);
    m_pLink->SetTrace(&m_trace);
    if (m_trace.IsActive()) {
        const std::string& reason = m_pPort->OpenFailureReason();
        m_trace.Note((m_pPort->IsOpen() ? "opened " : "cannot open ") + m_pPort->Device() +
                     (reason.empty() ? "" : " (" + reason + ")"));
    }
}

void CDeviceLine::DropConnection() {
    if (m_pLineStatus) {
        m_pLineStatus->Restore();
        m_pLineStatus.reset();
    }
    m_pLink.reset();  // puts back the settings and modes it captured
    m_pPort.reset();  // closes the device
}

bool CDeviceLine::Reopen() {
    DropConnection();
    MakeConnection();

    std::uint16_t flags = 0;
    if (m_pLink->CheckErrors(flags) != 0 || flags != 0) {
        m_bPortOpen = 0;
        m_bReady = 0;
        return false;
    }
    m_pLineStatus = std::make_unique<CLineStatus>(m_pLink.get());

    CPortSettings settings(m_pLink.get());
    settings.SetBaud(9600);

    int receiveMode = 0;
    int transmitMode = 0;
    m_pLineStatus->GetHandshaking(receiveMode, transmitMode);
    const char* text = nullptr;
    switch (receiveMode) {
    case HANDSHAKE_NONE: text = "\nNo handshaking being used.\n"; break;
    case HANDSHAKE_XONXOFF: text = "\nXONXOFF handshaking being used.\n"; break;
    case HANDSHAKE_DTR: text = "\nDTR/DSR handshaking being used.\n"; break;
    case HANDSHAKE_RTS: text = "\nRTS/CTS handshaking begin used.\n"; break;
    default: break;
    }
    if (text) {
        std::fputs(text, stdout);
        std::fflush(stdout);
    }

    m_pLineStatus->SetHandshaking(HANDSHAKE_RTS, HANDSHAKE_CTS);
    m_bPortOpen = 1;
    settings.Restore();
    return true;
}

bool CDeviceLine::SendCommand(const std::string& command) {
    return SendCommand(command, nullptr);
}

bool CDeviceLine::SendCommand(const std::string& command, LineFaultReport* fault) {
    if (fault) *fault = LineFaultReport{};
    if (CancelRequested() || !m_pLink) return false;
    m_pLink->PutLine(command.c_str());
    // The vision system echoes the command before it answers it.
    std::string heard;
    int end = 0;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const int c = m_pLink->GetChar(BYTE_TIMEOUT_MS);
        if (c < 0) {  // time-out, cancel, or a vanished device
            end = c;
            break;
        }
        heard.push_back(static_cast<char>(c));
        if (static_cast<unsigned char>(command[i]) != c) {
            // Collect the rest of the echo as the device sends it, so that the
            // reply that follows starts where the caller expects.
            for (++i; i < command.size(); ++i) {
                const int more = m_pLink->GetChar(BYTE_TIMEOUT_MS);
                if (more < 0) {
                    end = more;
                    break;
                }
                heard.push_back(static_cast<char>(more));
            }
            break;
        }
    }
    if (heard == command) return true;
    if (!fault || CancelRequested()) return false;
    // Whether the echo came after bytes that do not belong to it shows only
    // further on: listen until it shows, or the line is quiet.
    if (end == 0 && !heard.empty()) {
        while (heard.size() < LISTEN_LIMIT) {
            if (heard.size() > command.size() &&
                heard.compare(heard.size() - command.size(), command.size(), command) == 0)
                break;
            const int c = m_pLink->GetChar(BYTE_TIMEOUT_MS);
            if (c < 0) {
                end = c;
                break;
            }
            heard.push_back(static_cast<char>(c));
        }
    }
    *fault = ClassifyEcho(command, heard, end);
    return false;
}

LineFaultReport ClassifyEcho(const std::string& command, const std::string& heard, int end) {
    LineFaultReport report;
    if (end < 0 && end != LINK_TIMEOUT) {
        report.fault = LineFault::Vanished;
        return report;
    }
    if (heard.empty()) {
        report.fault = LineFault::NoAnswer;
        return report;
    }
    // The echo whole, behind bytes that came first: those do not belong.
    if (const std::size_t at = heard.find(command); at != std::string::npos && at > 0 && !command.empty()) {
        report.fault = LineFault::Noise;
        report.strayBytes = at;
        return report;
    }
    // No echo of the request anywhere. In its place another text (the
    // system heard something else), or bytes no echo of a request holds.
    const std::size_t place = std::min(heard.size(), std::max<std::size_t>(command.size(), 1));
    std::size_t differing = 0;
    bool unprintable = false;
    for (std::size_t i = 0; i < place; ++i) {
        const auto c = static_cast<unsigned char>(heard[i]);
        if (c < 0x20 || c > 0x7E) unprintable = true;
        if (i >= command.size() || heard[i] != command[i]) ++differing;
    }
    if (unprintable) {
        report.fault = LineFault::Noise;
        report.strayBytes = differing;
    } else {
        report.fault = LineFault::WrongEcho;
    }
    return report;
}

std::string CDeviceLine::ReadLine() {
    std::string line;
    m_nLastReadEnd = LINK_TIMEOUT;
    if (CancelRequested() || !m_pLink) return line;
    m_nLastReadEnd = 0;
    while (line.size() < MAX_LINE) {
        int c = m_pLink->GetChar(BYTE_TIMEOUT_MS);
        if (c < 0) {
            m_nLastReadEnd = c;
            break;
        }
        line.push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    return line;
}

char* CDeviceLine::ReadLine(char* buffer, std::size_t capacity) {
    if (!buffer || capacity == 0) return nullptr;
    std::size_t stored = 0;
    m_nLastReadEnd = LINK_TIMEOUT;
    if (!CancelRequested() && m_pLink) {
        m_nLastReadEnd = 0;
        // One byte of the buffer is kept for the NUL; a longer line is
        // left for the next call.
        while (stored + 1 < capacity) {
            int c = m_pLink->GetChar(BYTE_TIMEOUT_MS);
            if (c < 0) {
                m_nLastReadEnd = c;
                break;
            }
            buffer[stored++] = static_cast<char>(c);
            if (c == '\n') break;
        }
    }
    buffer[stored] = '\0';
    return buffer + stored;
}

void CDeviceLine::SetPortFactory(PortFactory factory) {
    std::lock_guard lock(g_factoryMutex);
    g_portFactory = std::move(factory);
}

std::string CDeviceLine::OpenFailureReason() const {
    return m_pPort ? m_pPort->OpenFailureReason() : std::string();
}

}  // namespace brelko
