// A block sending (a restore) as the status view sees it while it runs. Once
// its first byte is on the line the block must not be cut: the system would
// store part of the new settings. The sender reports here from its worker;
// the view reads it from any thread that asks to cancel.
#pragma once

#include <atomic>
#include <cstddef>

namespace brelko {

class BlockWatch {
public:
    // The sender, before its first byte: what it is to send (the closing
    // line feed included) and at what rate.
    void Begin(std::size_t total, long baud);
    // The sender, after each byte taken by the port; `queued` bytes still
    // wait in its output queue (when known, else -1).
    void Sent(std::size_t sent, int queued = -1);
    // The sender, when the block (and its line feed) is out or given up.
    void End();
    // A new course: nothing under way.
    void Reset();

    // The first byte is on the line and the block has not ended.
    bool UnderWay() const { return m_sent.load() > 0 && !m_ended.load() && m_begun.load(); }
    std::size_t SentBytes() const { return m_sent.load(); }
    std::size_t Total() const { return m_total.load(); }
    // Seconds the block still takes at the line's rate, rounded up.
    long SecondsLeft() const;

private:
    std::atomic<bool> m_begun{false};
    std::atomic<bool> m_ended{false};
    std::atomic<std::size_t> m_total{0};
    std::atomic<std::size_t> m_sent{0};
    std::atomic<int> m_queued{0};
    std::atomic<long> m_baud{9600};
};

}  // namespace brelko
