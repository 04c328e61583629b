// Ctrl+C and SIGTERM during a command (on Windows: Ctrl+C, Ctrl+Break and
// closing the console, SignalWatcherWin32.cpp): the signal handler only writes a byte to
// a pipe; a watcher thread reads it and runs the cancel action (the device
// line's cancel request) outside the handler, where anything may be called.
// A second signal while the first is being handled ends the process at once.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace brelko::cli {

class SignalWatcher {
public:
    // Installs the handlers for SIGINT and SIGTERM; one watcher at a time.
    explicit SignalWatcher(std::function<void(int signal)> onSignal);
    // Puts the previous handlers back and stops the thread.
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // The signal that arrived first, or 0.
    int Received() const { return m_received.load(); }
    // Runs the cancel action for the first signal only (from the watcher
    // thread, or from the system's console handler thread on Windows).
    void Deliver(int signal);

private:
    void Watch();

    std::function<void(int)> m_onSignal;
    std::atomic<int> m_received{0};
    int m_pipe[2] = {-1, -1};
    std::thread m_thread;
};

}  // namespace brelko::cli
