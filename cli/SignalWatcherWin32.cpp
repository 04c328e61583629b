// Ctrl+C, Ctrl+Break and closing the console window during a command: the
// system calls the handler on a thread of its own, where the cancel action
// may run directly. A second event while the first is being handled removes
// the temporary files of unfinished writes and ends the process at once.
#include <windows.h>

#include <signal.h>

#include <atomic>
#include <mutex>

#include "AtomicFile.h"
#include "SignalWatcher.h"

namespace brelko::cli {

namespace {

std::mutex g_mutex;  // the watcher is not destroyed during its cancel action
SignalWatcher* g_watcher = nullptr;
std::atomic<int> g_eventCount{0};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (g_eventCount.fetch_add(1) > 0) {
        // The user insists: no clean-up beyond the temporary files.
        RemoveTemporaryFiles();
        ExitProcess(128 + signal);
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_watcher) g_watcher->Deliver(signal);
    return TRUE;
}

}  // namespace

SignalWatcher::SignalWatcher(std::function<void(int)> onSignal) : m_onSignal(std::move(onSignal)) {
    g_eventCount = 0;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_watcher = this;
    }
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

SignalWatcher::~SignalWatcher() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    std::lock_guard<std::mutex> lock(g_mutex);
    g_watcher = nullptr;
}

void SignalWatcher::Deliver(int signal) {
    int expected = 0;
    if (m_received.compare_exchange_strong(expected, signal) && m_onSignal) m_onSignal(signal);
}

}  // namespace brelko::cli
