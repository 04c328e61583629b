// A real pseudo-terminal for the tests. The program under test opens the
// slave side as its serial device; the test plays the vision system on the
// master side, by hand (`PtyPair`) or through a scripted far end that echoes
// every request line and answers it (`PtyPeer`).
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace brelko::test {

class PtyPair {
public:
    // The master is closed on exec: a program the test starts never holds
    // the far end of the line.
    PtyPair();
    ~PtyPair() { CloseMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool Ok() const { return m_master >= 0 && !m_slave.empty(); }
    const std::string& SlavePath() const { return m_slave; }
    int Master() const { return m_master; }
    // The far end hangs up.
    void CloseMaster();
    // The line without any processing of its bytes.
    void MakeRaw() const;

    // The device side sends bytes.
    bool Send(const std::string& bytes) const;
    // What the port sent: bytes until `count` have come or the line has been
    // quiet for `quietMs`.
    std::string Receive(std::size_t count, int quietMs = 300) const;

private:
    int m_master = -1;
    std::string m_slave;
};

class PtyPeer {
public:
    // In an answer, this byte stands for a pause of 700 ms (unless the peer
    // sends its answers verbatim).
    static constexpr char kPause = '\x01';
    // Returns the answer to a request line (without its line feed); the
    // echo is sent first.
    using Responder = std::function<std::string(const std::string& line)>;

    // Without echo the peer hears but never answers.
    explicit PtyPeer(Responder respond, bool echo = true);
    ~PtyPeer();

    bool Ok() const { return m_pty.Ok(); }
    const std::string& DevicePath() const { return m_pty.SlavePath(); }
    // From the next line on the peer hears but says nothing, not even the
    // echo: a system that has fallen silent for good. A responder may call it
    // and still have its own answer sent.
    void Mute() { m_bMute = true; }
    // Every byte of an answer goes out as it stands, kPause too: for answers
    // that carry a picture's bytes.
    void SendVerbatim() { m_bVerbatim = true; }
    std::string Heard();
    // Waits until `text` has been heard; false after the time-out.
    bool WaitFor(const std::string& text, int timeoutMs = 5000);

private:
    void Run();
    void Send(const std::string& bytes);

    Responder m_respond;
    bool m_bEcho = true;
    PtyPair m_pty;
    std::mutex m_mutex;
    std::string m_heard;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_bMute{false};
    std::atomic<bool> m_bVerbatim{false};
    std::thread m_thread;
};

}  // namespace brelko::test
