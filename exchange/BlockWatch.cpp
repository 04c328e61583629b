#include "BlockWatch.h"

#include "SendFileCheck.h"

namespace brelko {

void BlockWatch::Begin(std::size_t total, long baud) {
    m_ended = false;
    m_sent = 0;
    m_queued = 0;
    m_total = total;
    m_baud = baud;
    m_begun = true;
}

void BlockWatch::Sent(std::size_t sent, int queued) {
    m_sent = sent;
    if (queued >= 0) m_queued = queued;
}

void BlockWatch::End() { m_ended = true; }

void BlockWatch::Reset() {
    m_begun = false;
    m_ended = false;
    m_sent = 0;
    m_total = 0;
    m_queued = 0;
}

long BlockWatch::SecondsLeft() const {
    const std::size_t total = m_total.load();
    const std::size_t sent = m_sent.load();
    // What the sender has still to hand over (its line feed included) and
    // what the port still holds.
    const std::size_t left = (total > sent ? total - sent : 0) + static_cast<std::size_t>(m_queued.load());
    const auto rate = static_cast<std::size_t>(BytesPerSecond(m_baud.load()));
    return static_cast<long>((left + rate - 1) / rate);
}

}  // namespace brelko
