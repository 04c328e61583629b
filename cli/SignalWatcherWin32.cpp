// Ctrl+C, Ctrl+Break and closing the console window during a command: the
// system calls the handler on a thread of its own, where the cancel action
// may run directly. Closing the console (or logging off) ends the process
// when the handler returns: the handler first gives the cancelled command a
// few seconds, then removes the temporary files it left. Once the action has said so (ExitOnNextSignal), the next
// event removes the temporary files of unfinished writes and ends the process.
#include <windows.h>

#include <signal.h>

#include <atomic>
#include <mutex>

#include "platform/AtomicFile.h"
#include "cli/ConsoleSystem.h"
#include "cli/LastWords.h"
#include "cli/SignalWatcher.h"

namespace brelko::cli {

namespace {

std::mutex g_mutex;  // the watcher is not destroyed during its cancel action
SignalWatcher* g_watcher = nullptr;
std::atomic<bool> g_exitArmed{false};

// How long a closing console waits for the command to wind down after its
// cancel (the system ends the process 5 s after the close at the latest).
constexpr DWORD kCloseGraceMs = 3000;

BOOL WINAPI OnConsoleEvent(DWORD event) { return HandleConsoleEvent(event) ? TRUE : FALSE; }

}  // namespace

bool HandleConsoleEvent(unsigned long event) {
    const bool closing = event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && !closing) return false;
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
        RestoreConsole();
        ExitProcess(128 + signal);
    }
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_watcher) g_watcher->Deliver(signal);
    }
    if (closing) {
        // The process ends when this returns: the cancelled command gets the
        // time there is to finish, then what it left behind goes.
        const DWORD start = GetTickCount();
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(g_mutex);
                if (!g_watcher) break;
            }
            if (GetTickCount() - start >= kCloseGraceMs) break;
            Sleep(20);
        }
        RemoveTemporaryFiles();
        RestoreConsole();
    }
    return true;
}

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
