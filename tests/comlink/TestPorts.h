// Port subclasses that put into a pseudo-terminal what it cannot do itself:
// line errors, modem lines, a transmit queue that fills up.
#pragma once

#include <sys/ioctl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <thread>

#include "comlink/COMLINK.h"

namespace brelko::test {

class InjectingPort : public CPosixPort {
public:
    // Deferred, then opened here, so that the overrides below are in force
    // from the first poll on.
    explicit InjectingPort(const std::string& path) : CPosixPort(path, 4096, 2048, 1) {
        Open();
        Line(LINE_DTR, 1);
        Line(LINE_RTS, 1);
    }

    LineErrorCounters counters;
    bool reportModemLines = false;
    int modemLines = 0;
    int writeBudget = INT_MAX;  // bytes the "driver" still takes

    int Write(const void* buffer, int count) override {
        const int allowed = std::max(0, std::min(count, writeBudget));
        int written = allowed > 0 ? CPosixPort::Write(buffer, allowed) : 0;
        writeBudget -= written;
        if (written < count) Record(LINK_BUFFER_FULL);
        return written;
    }

protected:
    bool QueryLineErrorCounters(LineErrorCounters& out) override {
        out = counters;
        return true;
    }
    bool QueryModemLines(int& bits) override {
        bits = modemLines;
        return reportModemLines;
    }
};

// Waits until the port holds at least `count` received bytes.
inline bool WaitForReceived(CCommPort& port, int count) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    CommBufferStatus status;
    while (std::chrono::steady_clock::now() < deadline) {
        port.GetBufferStatus(status, BUFFER_STATUS_ALL);
        if (status.rxCount >= count) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

inline long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace brelko::test
