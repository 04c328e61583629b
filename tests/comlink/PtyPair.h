// A real pseudo-terminal pair for the link tests: the port under test opens
// the slave side; the test plays the device on the master side.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/Profile.h"

namespace brelko::test {

class PtyPair {
public:
    PtyPair() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
        const char* name = ::ptsname(m_master);
        if (name) m_slave = name;
    }
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return m_master >= 0 && !m_slave.empty(); }
    const std::string& SlavePath() const { return m_slave; }
    int Master() const { return m_master; }

    void CloseMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

    // The device side sends bytes.
    bool Send(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // What the port sent: bytes until `count` have come or the line has been
    // quiet for `quietMs`.
    std::string Receive(std::size_t count, int quietMs = 300) const {
        std::string got;
        while (got.size() < count) {
            pollfd pfd {m_master, POLLIN, 0};
            if (::poll(&pfd, 1, quietMs) <= 0 || !(pfd.revents & POLLIN)) break;
            char buffer[4096];
            ssize_t n = ::read(m_master, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

private:
    int m_master = -1;
    std::string m_slave;
};

// A settings file of our own for the duration of a test.
class TempIni {
public:
    explicit TempIni(const std::string& content) {
        char name[] = "/tmp/brelko-comlink-XXXXXX";
        int fd = ::mkstemp(name);
        if (fd >= 0) ::close(fd);
        m_path = std::string(name) + ".ini";
        ::unlink(name);
        Rewrite(content);
        Profile::SetPath(m_path);
    }
    ~TempIni() { ::unlink(m_path.c_str()); }
    void Rewrite(const std::string& content) const {
        std::ofstream out(m_path, std::ios::trunc);
        out << content;
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

inline long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace brelko::test
