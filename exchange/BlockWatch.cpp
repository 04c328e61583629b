#include "exchange/BlockWatch.h"

#include <algorithm>
#include <string>

#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/LineTrace.h"
#include "exchange/SendFileCheck.h"

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

void BlockWatch::Stop(int purged, Clock::time_point now) {
    const std::size_t sent = m_sent.load();
    const std::size_t left = purged >= 0 ? sent - std::min(sent, static_cast<std::size_t>(purged)) : Carried(now);
    m_carriedAtStop = std::min(m_total.load(), left);
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
    const std::size_t taken = sent > queued ? sent - queued : 0;
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
    return m_whole.load() && Carried(now) < m_total.load();
}

long BlockWatch::SecondsLeft(Clock::time_point now) const {
    // What the sender has still to hand over (its line feed included) and
    // what the port still holds, at the line's rate.
    const std::size_t total = m_total.load();
    const std::size_t left = total - std::min(total, Carried(now));
    const auto rate = static_cast<std::size_t>(std::max(1L, BytesPerSecond(m_baud.load())));
    return static_cast<long>((left + rate - 1) / rate);
}

int PurgeUnsentBytes(CDeviceLine& line, std::size_t handed, std::size_t total) {
    CCommPort* port = line.Port();
    if (!port) return -1;
    const int purged = port->PurgeOutput();
    if (purged > 0) {
        const std::size_t onLine = handed - std::min(handed, static_cast<std::size_t>(purged));
        line.Trace().Note(std::to_string(purged) + " of these bytes were purged from the output queue: " +
                          std::to_string(onLine) + " of " + std::to_string(total) + " reached the line");
    }
    return purged;
}

}  // namespace brelko
