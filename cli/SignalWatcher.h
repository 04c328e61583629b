// Ctrl+C and SIGTERM during a command (on Windows: Ctrl+C, Ctrl+Break and
// closing the console, in SignalWatcherWin32.cpp, through the system's console
// handler thread instead of a pipe): the signal handler only writes a byte to
// a pipe; a watcher thread reads it and runs the cancel action (the status
// view's cancel request) outside the handler, where anything may be called.
// Once the action has said so (ExitOnNextSignal), the next signal ends the
// process at once, removing the temporary files the writers left first.
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

    // The next signal ends the process without clean-up (any thread).
    static void ExitOnNextSignal();

    // The signal that arrived first, or 0.
    int Received() const { return m_received.load(); }
    // How many signals the action has seen.
    int Count() const { return m_count.load(); }
    // Counts a signal and runs the action (the watcher thread, or the
    // system's console handler thread on Windows).
    void Deliver(int signal) {
        int expected = 0;
        m_received.compare_exchange_strong(expected, signal);
        ++m_count;
        if (m_onSignal) m_onSignal(signal);
    }

private:
    void Watch();

    std::function<void(int)> m_onSignal;
    std::atomic<int> m_received{0};
    std::atomic<int> m_count{0};
    int m_pipe[2] = {-1, -1};
    std::thread m_thread;
};

#ifdef _WIN32
// The console's event handler (CTRL_C_EVENT, CTRL_CLOSE_EVENT, ...): true
// when the event was this program's to handle.
bool HandleConsoleEvent(unsigned long event);
#endif

}  // namespace brelko::cli
