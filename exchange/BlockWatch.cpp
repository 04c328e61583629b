#include "BlockWatch.h"

#include <algorithm>

#include "SendFileCheck.h"

namespace brelko {

void BlockWatch::Begin(std::size_t total, long baud, Clock::time_point now) {
    m_ended = false;
    m_whole = false;
    m_stopped = false;
    m_sent = 0;
    m_queued = 0;
    m_total = total;
    m_baud = baud;
    m_beginTicks = now.time_since_epoch().count();
    m_begun = true;
}

void BlockWatch::Sent(std::size_t sent, int queued) {
    m_sent = sent;
    if (queued >= 0) m_queued = queued;
}

void BlockWatch::End(bool whole) {
    m_whole = whole;
    m_ended = true;
}

void BlockWatch::Stop(Clock::time_point now) {
    m_carriedAtStop = std::min(m_total.load(), Carried(now));
    m_stopped = true;
}

void BlockWatch::Reset() {
    m_begun = false;
    m_ended = false;
    m_whole = false;
    m_stopped = false;
    m_carriedAtStop = 0;
    m_sent = 0;
    m_total = 0;
    m_queued = 0;
}

std::size_t BlockWatch::Carried(Clock::time_point now) const {
    const std::size_t sent = m_sent.load();
    const std::size_t queued = static_cast<std::size_t>(std::max(0, m_queued.load()));
    const std::size_t taken = (sent > queued ? sent - queued : 0) + (HandedOver() ? 1 : 0);  // the line feed
    const auto elapsed = std::max(Clock::duration::zero(), now - Clock::time_point(Clock::duration(m_beginTicks.load())));
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const double byRate = seconds * BytesPerSecond(m_baud.load());
    return byRate >= static_cast<double>(taken) ? taken : static_cast<std::size_t>(byRate);
}

bool BlockWatch::UnderWay(Clock::time_point now) const {
    if (!m_begun.load() || m_stopped.load() || m_sent.load() == 0) return false;
    if (!m_ended.load()) return true;
    // Given up halfway: nothing more goes. Handed over whole: on the line
    // until the rate says it has gone.
    return m_whole.load() && Carried(now) < m_total.load() + 1;
}

long BlockWatch::SecondsLeft(Clock::time_point now) const {
    // What the sender has still to hand over, its line feed, and what the
    // driver still holds, at the line's rate.
    const std::size_t left = m_total.load() + 1 - std::min(m_total.load() + 1, Carried(now));
    const auto rate = static_cast<std::size_t>(std::max(1L, BytesPerSecond(m_baud.load())));
    return static_cast<long>((left + rate - 1) / rate);
}

}  // namespace brelko
