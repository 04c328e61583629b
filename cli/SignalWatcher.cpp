#include "cli/SignalWatcher.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/AtomicFile.h"
#include "cli/LastWords.h"

namespace brelko::cli {

namespace {

volatile sig_atomic_t g_writeFd = -1;
volatile sig_atomic_t g_exitArmed = 0;
struct sigaction g_oldInt {};
struct sigaction g_oldTerm {};

void OnSignal(int signal) {
    const int saved = errno;
    if (g_exitArmed) {
        // The user insists: no clean-up beyond what must not be lost: the
        // lines the user still needs to read, and the temporary and lock
        // files, which would otherwise stay. Every call is async-signal-safe.
        std::size_t length = 0;
        if (const char* words = LastWords(&length)) {
            [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, words, length);
        }
        RemoveTemporaryFiles();
        _exit(128 + signal);
    }
    const unsigned char byte = static_cast<unsigned char>(signal);
    if (g_writeFd >= 0) {
        [[maybe_unused]] const ssize_t n = write(g_writeFd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

void SignalWatcher::ExitOnNextSignal() { g_exitArmed = 1; }

SignalWatcher::SignalWatcher(std::function<void(int)> onSignal) : m_onSignal(std::move(onSignal)) {
    if (pipe2(m_pipe, O_CLOEXEC) != 0) return;
    g_exitArmed = 0;
    g_writeFd = m_pipe[1];
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &g_oldInt);
    sigaction(SIGTERM, &action, &g_oldTerm);
    m_thread = std::thread([this] { Watch(); });
}

SignalWatcher::~SignalWatcher() {
    if (m_pipe[1] < 0) return;
    sigaction(SIGINT, &g_oldInt, nullptr);
    sigaction(SIGTERM, &g_oldTerm, nullptr);
    g_writeFd = -1;
    g_exitArmed = 0;
    // A zero byte tells the watcher to stop.
    const unsigned char stop = 0;
    [[maybe_unused]] const ssize_t n = write(m_pipe[1], &stop, 1);
    if (m_thread.joinable()) m_thread.join();
    close(m_pipe[0]);
    close(m_pipe[1]);
}

void SignalWatcher::Watch() {
    for (;;) {
        unsigned char byte = 0;
        const ssize_t n = read(m_pipe[0], &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || byte == 0) return;
        Deliver(byte);
    }
}

}  // namespace brelko::cli
