#include "comlink/CCommLink.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "comlink/CLineStatus.h"
#include "comlink/CPortSettings.h"
#include "platform/Clock.h"

namespace brelko {

namespace {

// Time-outs count from the start of the call; the tick count wraps.
bool Elapsed(std::uint32_t start, int timeout) {
    return static_cast<std::uint32_t>(GetTickCount() - start) >= static_cast<std::uint32_t>(timeout < 0 ? 0 : timeout);
}

}  // namespace

CCommLink::CCommLink(CCommPort* port) : m_pPort(port) {
    if (!m_pPort || m_pPort->PeekError() != 0) return;
    m_pSettings = std::make_unique<CPortSettings>(this);
    m_pSettings->Set(9600, 'N', 8, 1);
    m_pLineStatus = std::make_unique<CLineStatus>(this);
    m_pPort->SetHandshaking(HANDSHAKE_NONE, HANDSHAKE_NONE);
}

CCommLink::~CCommLink() {
    if (m_pLineStatus) {
        m_pLineStatus->Restore();
        m_pLineStatus.reset();
    }
    if (m_pSettings) {
        m_pSettings->Restore();
        m_pSettings.reset();
    }
}

int CCommLink::GetChar(int timeout) {
    if (!m_pPort) return LINK_TIMEOUT;
    const std::uint32_t start = GetTickCount();
    int c = m_pPort->GetChar();
    while (c < 0) {
        if (Cancelled() || Elapsed(start, timeout)) return LINK_TIMEOUT;
        int idle = m_pPort->Idle();
        if (idle < 0) return idle;
        c = m_pPort->GetChar();
    }
    const unsigned char byte = static_cast<unsigned char>(c);
    Traced(TraceDirection::FromDevice, &byte, 1);
    return c;
}

int CCommLink::PutChar(int byte) {
    if (!m_pPort) return LINK_GENERAL_ERROR;
    int result = m_pPort->PutChar(byte);
    if (result == 0) {
        const unsigned char sent = static_cast<unsigned char>(byte);
        Traced(TraceDirection::ToDevice, &sent, 1);
    }
    if (m_nDelay <= 0) return result;
    // The inter-character delay, slept rather than polled: received bytes
    // that wait unread must not turn it into a busy loop. In short steps, so
    // that a cancel request ends it. A refused byte keeps its code.
    // Measured on the steady clock, not in whole ticks, so that the pause
    // is never a fraction of a millisecond short of the delay.
    constexpr int kStepMs = 50;
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(m_nDelay);
    int idle = 0;
    for (auto now = Clock::now(); now < end && !Cancelled(); now = Clock::now()) {
        const auto leftUs = std::chrono::duration_cast<std::chrono::microseconds>(end - now).count();
        const int left = static_cast<int>((leftUs + 999) / 1000);
        idle = m_pPort->Pause(left < kStepMs ? left : kStepMs);
        if (idle < 0) break;
    }
    return result < 0 ? result : idle;
}

int CCommLink::Reserved() {
    return LINK_NOT_SUPPORTED;
}

int CCommLink::Read(void* buffer, int count, int timeout) {
    if (!buffer || !m_pPort) return 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    if (count < 0) count = 0;
    const std::uint32_t start = GetTickCount();
    int got = std::max(0, m_pPort->Read(bytes, count));
    Traced(TraceDirection::FromDevice, bytes, got);
    while (got < count) {
        if (Cancelled() || Elapsed(start, timeout)) break;
        int idle = m_pPort->Idle();
        if (idle < 0) return idle;
        const int more = std::max(0, m_pPort->Read(bytes + got, count - got));
        Traced(TraceDirection::FromDevice, bytes + got, more);
        got += more;
    }
    bytes[got] = 0;
    return got;
}

int CCommLink::ReadUntil(void* buffer, int maximum, int terminator, int timeout) {
    if (!buffer || !m_pPort) return 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    const std::uint32_t start = GetTickCount();
    int stored = 0;
    while (stored < maximum) {
        int c = m_pPort->GetChar();
        if (c >= 0) {
            bytes[stored++] = static_cast<unsigned char>(c);
            Traced(TraceDirection::FromDevice, &bytes[stored - 1], 1);
            if (terminator != -1 && c == terminator) break;
            if (stored >= maximum) break;
        } else if (Cancelled() || Elapsed(start, timeout)) {
            break;
        }
        int idle = m_pPort->Idle();
        if (idle < 0) return idle;
    }
    bytes[stored] = 0;
    return stored;
}

int CCommLink::PutString(const char* text, int ending) {
    if (!text || !m_pPort || ending < ENDING_CRLF || ending > 255) return 0;
    const int length = static_cast<int>(std::strlen(text));
    int taken = m_pPort->PutString(text);
    Traced(TraceDirection::ToDevice, text, std::min(taken, length));
    if (taken < length) return taken;
    unsigned char tail[2];
    int tailLength = 0;
    if (ending == ENDING_LF) {
        tail[tailLength++] = '\n';
    } else if (ending == ENDING_CRLF) {
        tail[tailLength++] = '\r';
        tail[tailLength++] = '\n';
    } else if (ending >= 0) {
        tail[tailLength++] = static_cast<unsigned char>(ending);
    }
    for (int i = 0; i < tailLength; ++i) {
        if (m_pPort->PutChar(tail[i]) != 0) break;
        Traced(TraceDirection::ToDevice, &tail[i], 1);
        ++taken;
    }
    return taken;
}

int CCommLink::TxCount() {
    if (!m_pPort) return 0;
    CommBufferStatus status;
    int result = m_pPort->GetBufferStatus(status, BUFFER_STATUS_TX);
    return result < 0 ? result : status.txCount;
}

int CCommLink::GetBufferStatus(CommBufferStatus& status) {
    if (!m_pPort) return LINK_GENERAL_ERROR;
    return m_pPort->GetBufferStatus(status, BUFFER_STATUS_ALL);
}

int CCommLink::PurgeReceive(int count) {
    return m_pPort ? m_pPort->Purge(0, count) : LINK_GENERAL_ERROR;
}

int CCommLink::PurgeTransmit() {
    return m_pPort ? m_pPort->Purge(1, 0) : LINK_GENERAL_ERROR;
}

int CCommLink::CheckErrors(std::uint16_t& flags) {
    flags = 0;
    if (!m_pPort) return LINK_GENERAL_ERROR;
    int error = m_pPort->TakeError();
    if (error != 0) return error;
    unsigned char local[4];
    const unsigned char* packed = local;
    if (m_pLineStatus) {
        m_pLineStatus->Refresh();
        packed = m_pLineStatus->Snapshot();
    } else {
        // A link whose port failed at construction has no helper; the port
        // still reports and clears its errors.
        m_pPort->GetLineStatus(local);
    }
    auto field = [packed](int byte, int shift) { return (packed[byte] >> shift) & 3; };
    if (field(3, 0) == 1) flags |= LINK_FLAG_PARITY;
    if (field(3, 2) == 1) flags |= LINK_FLAG_FRAMING;
    if (field(3, 4) == 1) flags |= LINK_FLAG_RX_OVERFLOW;
    if (field(3, 6) == 1) flags |= LINK_FLAG_OVERRUN;
    if (field(2, 6) == 1) flags |= LINK_FLAG_BREAK;
    return 0;
}

}  // namespace brelko
