#include "sim/SimLine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>

namespace brelko {

namespace {

// Bytes moved per wake-up at line speed: at least 16 (17 ms at 9600 baud),
// at most 10 ms worth on faster lines.
std::size_t ChunkFor(long baudRate) { return std::max<std::size_t>(16, static_cast<std::size_t>(baudRate / 1000)); }

int MillisUntil(SimLine::Clock::time_point until) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(until - SimLine::Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

}  // namespace

SimLine::~SimLine() {
    HangUp();
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

bool SimLine::Open(long baudRate, std::string& error) {
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("cannot make a wake-up pipe: ") + std::strerror(errno);
        return false;
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        HangUp();
        return false;
    }
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) {
        error = "cannot open " + path_ + ": " + std::strerror(errno);
        HangUp();
        return false;
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(slave_, TCSANOW, &tio);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    chunk_ = ChunkFor(baudRate);
    if (baudRate > 0)
        byteTime_ = std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(10'000'000'000LL / baudRate));
    inClock_ = outClock_ = Clock::now();
    return true;
}

void SimLine::Wake() {
    woken_ = true;
    if (wakeWrite_ >= 0) {
        char c = 1;
        [[maybe_unused]] auto n = ::write(wakeWrite_, &c, 1);
    }
}

void SimLine::Drain(std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    int quietRounds = 0;
    while (slave_ >= 0 && Clock::now() < until && quietRounds < 2) {
        int queued = 0;
        if (::ioctl(slave_, FIONREAD, &queued) != 0) break;
        quietRounds = queued == 0 ? quietRounds + 1 : 0;
        if (!SleepUntil(Clock::now() + std::chrono::milliseconds(10))) break;
    }
}

void SimLine::HangUp() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = slave_ = -1;
}

bool SimLine::WaitFor(short events, int timeoutMs) {
    if (woken_ || master_ < 0) return false;
    pollfd fds[2] = {{master_, events, 0}, {wakeRead_, POLLIN, 0}};
    int r = ::poll(fds, 2, timeoutMs);
    if (woken_) return false;
    if (r < 0) return errno == EINTR;
    if (fds[0].revents & (POLLERR | POLLNVAL)) return false;
    // A hang-up report without data would wake us again at once: pause instead of spinning.
    if ((fds[0].revents & POLLHUP) && !(fds[0].revents & events))
        return SleepUntil(Clock::now() + std::chrono::milliseconds(50));
    return true;
}

bool SimLine::SleepUntil(Clock::time_point until) {
    while (!woken_) {
        int ms = MillisUntil(until);
        if (ms <= 0) return true;
        pollfd fd{wakeRead_, POLLIN, 0};
        ::poll(&fd, 1, ms);
    }
    return false;
}

long SimLine::Read(std::uint8_t* buffer, std::size_t capacity) {
    for (;;) {
        if (woken_) return 0;
        if (master_ < 0) return -1;
        int available = 0;
        if (::ioctl(master_, FIONREAD, &available) != 0) return -1;
        if (available <= 0) {
            if (!WaitFor(POLLIN, -1)) return woken_ ? 0 : -1;
            // Bytes that come to an idle line start arriving now, one per byte
            // time. (Bytes that waited while the system was busy came meanwhile.)
            inClock_ = std::max(inClock_, Clock::now() - byteTime_);
            continue;
        }
        std::size_t want = std::min<std::size_t>(static_cast<std::size_t>(available), capacity);
        if (byteTime_.count() > 0) {
            const auto now = Clock::now();
            want = std::min(want, chunk_);
            const auto carried = static_cast<std::size_t>((now - inClock_) / byteTime_);
            if (carried < want) {
                if (!SleepUntil(inClock_ + byteTime_ * static_cast<long>(want))) return 0;
                continue;
            }
        }
        ssize_t n = ::read(master_, buffer, want);
        if (n > 0) {
            inClock_ += byteTime_ * n;
            return n;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        return -1;
    }
}

bool SimLine::Discard(Clock::time_point until) {
    std::uint8_t sink[256];
    for (;;) {
        if (woken_ || master_ < 0) return false;
        while (::read(master_, sink, sizeof sink) > 0) {
        }
        int ms = MillisUntil(until);
        if (ms <= 0) break;
        if (!WaitFor(POLLIN, ms)) return false;
    }
    inClock_ = outClock_ = Clock::now();
    return true;
}

bool SimLine::Write(const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        if (woken_ || master_ < 0) return false;
        std::size_t count = size - done;
        if (byteTime_.count() > 0) {
            count = std::min(count, chunk_);
            auto start = std::max(Clock::now(), outClock_);
            if (!SleepUntil(start)) return false;
            outClock_ = start + byteTime_ * static_cast<long>(count);
        }
        const std::size_t end = done + count;
        while (done < end) {
            ssize_t n = ::write(master_, data + done, end - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EAGAIN && byteTime_.count() > 0) {
                // Nobody reads the far end: a serial line does not wait, the
                // bytes are lost (an overrun, or a port that is not open).
                done = end;
            } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                if (!WaitFor(POLLOUT, -1)) return false;
            } else {
                return false;
            }
        }
    }
    return true;
}

}  // namespace brelko
