// The simulator's end of a pseudo-terminal pair, paced like a serial line.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace brelko {

class SimLine {
public:
    using Clock = std::chrono::steady_clock;

    SimLine() = default;
    ~SimLine();
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    // Makes the pty pair, puts the device side in raw mode and keeps it open,
    // so that the client can close and reopen it without a hang-up here.
    bool Open(long baudRate, std::string& error);
    const std::string& DevicePath() const { return path_; }

    // Waits for request bytes and takes at most as many as the line could
    // have carried by now. 0 when woken for stopping; -1 when the line is gone.
    long Read(std::uint8_t* buffer, std::size_t capacity);
    // Throws away whatever arrives until `until` (a restarting system hears nothing).
    bool Discard(Clock::time_point until);
    // Sends at line speed. False when woken for stopping or the line is gone.
    // At a set baud rate, bytes that the pty cannot take are lost, as on a
    // line that nobody reads; at full pty speed the writer waits instead.
    bool Write(const char* data, std::size_t size);
    bool Write(const std::string& s) { return Write(s.data(), s.size()); }

    // Wakes a Read, Write or Discard that is waiting; they return at once from then on.
    void Wake();
    // Waits (up to `limit`) until the client has read what was sent, so
    // that a hang-up does not swallow the bytes already on their way.
    void Drain(std::chrono::milliseconds limit);
    // Closes the line: the client sees a hang-up.
    void HangUp();
    bool IsOpen() const { return master_ >= 0; }

private:
    // Sleeps until `until` or a wake; false when woken.
    bool SleepUntil(Clock::time_point until);
    // Waits for `events` on the line; false when woken or the line failed.
    bool WaitFor(short events, int timeoutMs);

    int master_ = -1;
    int slave_ = -1;      // held open so the master never sees the client's hang-ups
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> woken_{false};
    std::string path_;
    Clock::duration byteTime_{0};  // zero: no pacing
    std::size_t chunk_ = 16;
    Clock::time_point inClock_{};   // when the line has delivered the bytes read so far
    Clock::time_point outClock_{};  // when the line has carried the bytes written so far
};

}  // namespace brelko
