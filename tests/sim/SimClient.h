// A minimal raw client for the simulator's pty: it writes bytes and reads
// what comes back, with nothing of the program's own exchange code.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "sim/VisionSimulator.h"

namespace brelko::simtest {

constexpr const char* kPrompt = "\r\n>";

class SimClient {
public:
    explicit SimClient(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd_ >= 0) {
            termios tio{};
            ::tcgetattr(fd_, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~SimClient() { Close(); }
    SimClient(const SimClient&) = delete;
    SimClient& operator=(const SimClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // Throws away what waits to be read, as a client does before it talks.
    void Flush() { ::tcflush(fd_, TCIFLUSH); }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    bool Send(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Reads until `quietMs` pass without a byte (or the line is gone).
    std::string ReadQuiet(int quietMs = 300) {
        std::string out;
        char buf[4096];
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) break;
            if (!(p.revents & POLLIN)) {
                hungUp_ = (p.revents & (POLLHUP | POLLERR)) != 0;
                break;
            }
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) {
                hungUp_ = true;
                break;
            }
            out.append(buf, static_cast<std::size_t>(n));
        }
        return out;
    }

    // Reads until the bytes read end with `tail`, the line stays quiet for
    // `quietMs`, or `capMs` pass in all.
    std::string ReadUntil(const std::string& tail, int quietMs = 2000, int capMs = 60000) {
        std::string out;
        char buf[4096];
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(capMs);
        while (std::chrono::steady_clock::now() < end) {
            if (out.size() >= tail.size() && out.compare(out.size() - tail.size(), tail.size(), tail) == 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) break;
            if (!(p.revents & POLLIN)) {
                hungUp_ = true;
                break;
            }
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) {
                hungUp_ = true;
                break;
            }
            out.append(buf, static_cast<std::size_t>(n));
        }
        return out;
    }

    // Reads until at least `count` bytes came, the line stays quiet for `quietMs`
    // or is gone.
    std::string ReadAtLeast(std::size_t count, int quietMs = 2000) {
        std::string out;
        char buf[4096];
        while (out.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN)) break;
            ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - out.size()));
            if (n <= 0) break;
            out.append(buf, static_cast<std::size_t>(n));
        }
        return out;
    }

    // Sends a request line; returns everything up to and including the prompt.
    std::string Request(const std::string& line, int quietMs = 2000) {
        Send(line + "\n");
        return ReadUntil(kPrompt, quietMs);
    }

    bool HungUp() const { return hungUp_; }

private:
    int fd_ = -1;
    bool hungUp_ = false;
};

// A simulator of `preset` at full pty speed with a short restart.
inline SimConfig FastConfig(const std::string& preset) {
    SimConfig c;
    c.preset = preset;
    c.baudRate = 0;
    c.restartSilence = std::chrono::milliseconds(300);
    return c;
}

// What follows the echo of `line` in `reply`; empty when the echo is wrong.
inline std::string AfterEcho(const std::string& reply, const std::string& line) {
    if (reply.compare(0, line.size(), line) != 0) return {};
    return reply.substr(line.size());
}

}  // namespace brelko::simtest
