// A block sending (a restore) as the status view sees it while it runs. Once
// its first byte is on the line the block must not be cut: the system would
// store part of the new settings. The sender reports here from its worker;
// the view reads it from any thread that asks to cancel.
//
// The sender is done when the driver has taken the last byte, which is not
// when the line has carried it: a pseudo-terminal or a USB adapter takes
// 20 KB at once and counts nothing as queued. The block stays under way
// until the line, at its rate, can have carried it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>

namespace brelko {

class CDeviceLine;

class BlockWatch {
public:
    using Clock = std::chrono::steady_clock;

    // The sender, before its first byte: what it is to send (the closing
    // line feed included) and at what rate.
    void Begin(std::size_t total, long baud, Clock::time_point now = Clock::now());
    // The sender, after each byte taken by the port; `queued` bytes still
    // wait in its output queue (when known, else -1).
    void Sent(std::size_t sent, int queued = -1);
    // The sender, when the block (and its line feed) is with the driver, or
    // given up (`whole` false) with `Sent` saying what really left.
    void End(bool whole = true);
    // A stop after the sender was done: nothing more of the block goes. The
    // output queue was purged of `purged` bytes, so the rest is what the
    // system can have received; when the port cannot tell (-1), what the
    // line can have carried till now at its rate.
    void Stop(int purged, Clock::time_point now = Clock::now());
    std::size_t CarriedAtStop() const { return m_carriedAtStop.load(); }
    // A new course: nothing under way.
    void Reset();

    // The first byte is on the line and the line is still carrying the block.
    bool UnderWay(Clock::time_point now = Clock::now()) const;
    // The sender has handed the whole block to the driver.
    bool HandedOver() const { return m_ended.load() && m_whole.load(); }
    std::size_t SentBytes() const { return m_sent.load(); }
    std::size_t Total() const { return m_total.load(); }
    // Seconds the block still takes at the line's rate, rounded up.
    long SecondsLeft(Clock::time_point now = Clock::now()) const;

private:
    // The bytes of the block (its line feed included) that the line can have
    // carried by `now`: no more than the driver took, nor than the rate allows.
    std::size_t Carried(Clock::time_point now) const;

    std::atomic<bool> m_begun{false};
    std::atomic<bool> m_ended{false};
    std::atomic<bool> m_whole{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<std::size_t> m_total{0};
    std::atomic<std::size_t> m_sent{0};
    std::atomic<int> m_queued{0};
    std::atomic<long> m_baud{9600};
    std::atomic<Clock::rep> m_beginTicks{0};
    std::atomic<std::size_t> m_carriedAtStop{0};
};

// Empties the port's output queue behind a block stopped short, of which
// `handed` of `total` bytes went to the port, and notes in the line's trace
// how many the purge took back and so what reached the line. Returns that
// count; -1 when the port cannot tell.
int PurgeUnsentBytes(CDeviceLine& line, std::size_t handed, std::size_t total);

}  // namespace brelko
