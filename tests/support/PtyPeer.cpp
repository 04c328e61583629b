#include "tests/support/PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace brelko::test {

PtyPair::PtyPair() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
    if (const char* name = ::ptsname(m_master)) m_slave = name;
}

void PtyPair::CloseMaster() {
    if (m_master >= 0) ::close(m_master);
    m_master = -1;
}

void PtyPair::MakeRaw() const {
    termios tio{};
    ::tcgetattr(m_master, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_master, TCSANOW, &tio);
}

bool PtyPair::Send(const std::string& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string PtyPair::Receive(std::size_t count, int quietMs) const {
    std::string got;
    while (got.size() < count) {
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, quietMs) <= 0 || !(pfd.revents & POLLIN)) break;
        char buffer[4096];
        ssize_t n = ::read(m_master, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0) break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

PtyPeer::PtyPeer(Responder respond, bool echo) : m_respond(std::move(respond)), m_bEcho(echo) {
    if (!m_pty.Ok()) return;
    m_pty.MakeRaw();
    m_thread = std::thread([this] { Run(); });
}

PtyPeer::~PtyPeer() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

std::string PtyPeer::Heard() {
    std::lock_guard lock(m_mutex);
    return m_heard;
}

bool PtyPeer::WaitFor(const std::string& text, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (Heard().find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void PtyPeer::Send(const std::string& bytes) {
    const int master = m_pty.Master();
    std::size_t start = 0;
    while (start <= bytes.size() && !m_stop) {
        std::size_t pause = m_bVerbatim ? std::string::npos : bytes.find(kPause, start);
        std::size_t end = pause == std::string::npos ? bytes.size() : pause;
        for (std::size_t i = start; i < end && !m_stop;) {
            ssize_t n = ::write(master, bytes.data() + i, end - i);
            if (n > 0) i += static_cast<std::size_t>(n);
            else std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (pause == std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        start = pause + 1;
    }
}

void PtyPeer::Run() {
    const int master = m_pty.Master();
    std::string line;
    char buffer[512];
    while (!m_stop) {
        pollfd fd{master, POLLIN, 0};
        if (::poll(&fd, 1, 20) <= 0 || !(fd.revents & POLLIN)) {
            // Nobody holds the other end yet (or any more): wait without spinning.
            if (fd.revents & POLLHUP) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) continue;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            {
                std::lock_guard lock(m_mutex);
                m_heard += c;
            }
            if (c != '\n') {
                line += c;
                continue;
            }
            const bool muted = m_bMute;
            const std::string answer = m_respond(line);
            if (m_bEcho && !muted) Send(line + answer);
            line.clear();
        }
    }
}

}  // namespace brelko::test
