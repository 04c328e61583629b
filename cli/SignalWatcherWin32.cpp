// Ctrl+C, Ctrl+Break and closing the console window during a command: the
// system calls the handler on a thread of its own, where the cancel action
// may run directly. Once the action has said so (ExitOnNextSignal), the next
// event removes the temporary files of unfinished writes and ends the process.
#include <windows.h>

#include <signal.h>

#include <atomic>
#include <mutex>

#include "AtomicFile.h"
#include "LastWords.h"
#include "SignalWatcher.h"

namespace brelko::cli {

namespace {

std::mutex g_mutex;  // the watcher is not destroyed during its cancel action
SignalWatcher* g_watcher = nullptr;
std::atomic<bool> g_exitArmed{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (g_exitArmed) {
        // The user insists: no clean-up beyond the lines the user still
        // needs to read and the temporary files.
        std::size_t length = 0;
        if (const char* words = LastWords(&length)) {
            DWORD written = 0;
            WriteFile(GetStdHandle(STD_ERROR_HANDLE), words, static_cast<DWORD>(length), &written, nullptr);
        }
        RemoveTemporaryFiles();
        ExitProcess(128 + signal);
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_watcher) g_watcher->Deliver(signal);
    return TRUE;
}

}  // namespace

void SignalWatcher::ExitOnNextSignal() { g_exitArmed = true; }

SignalWatcher::SignalWatcher(std::function<void(int)> onSignal) : m_onSignal(std::move(onSignal)) {
    g_exitArmed = false;
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
    g_exitArmed = false;
}

}  // namespace brelko::cli
