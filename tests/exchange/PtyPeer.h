// The far end of a pseudo-terminal, scripted by the test: it echoes every
// request line and answers it through a callback, and keeps every byte it
// heard.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace brelko::test {

class PtyPeer {
public:
    // In an answer, this byte stands for a pause of 700 ms.
    static constexpr char kPause = '\x01';
    // Returns the answer to a request line (without its line feed); the
    // echo is sent first.
    using Responder = std::function<std::string(const std::string& line)>;

    // Without echo the peer hears but never answers.
    explicit PtyPeer(Responder respond, bool echo = true);
    ~PtyPeer();

    const std::string& DevicePath() const { return m_path; }
    // From the next line on the peer hears but says nothing, not even the
    // echo: a system that has fallen silent for good. A responder may call it
    // and still have its own answer sent.
    void Mute() { m_bMute = true; }
    std::string Heard();
    // Waits until `text` has been heard; false after the time-out.
    bool WaitFor(const std::string& text, int timeoutMs = 5000);

private:
    void Run();
    void Send(const std::string& bytes);

    Responder m_respond;
    bool m_bEcho = true;
    int m_master = -1;
    std::string m_path;
    std::mutex m_mutex;
    std::string m_heard;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_bMute{false};
    std::thread m_thread;
};

}  // namespace brelko::test
