// One connection for one device command: the status logic on a plain event
// loop, its progress shown on standard error, and Ctrl+C wired to its cancel
// request. Every device command connects, identifies, runs its course and
// reports through it.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

#include "exchange/CStatusView.h"
#include "cli/Console.h"
#include "exchange/DeviceCommands.h"
#include "cli/DeviceSession.h"
#include "cli/ExitStatus.h"
#include "platform/Messages.h"
#include "cli/Options.h"
#include "cli/SignalWatcher.h"
#include "exchange/StatusWindow.h"

namespace brelko::cli {

// Progress and state changes of the status view, shown on standard error.
class CliStatusWindow : public HeadlessStatusWindow {
public:
    explicit CliStatusWindow(Console& console) : m_console(console) {}

    // States are shown from the start of a transfer on; the connection's own
    // clearing before it is no news.
    void ShowStates() { m_bShowStates = true; }

    void Notify(const StatusMessage& message) override;
    // Told of every event after it is shown (empty: nobody).
    void OnEvent(std::function<void(const StatusMessage&)> hook) { m_hook = std::move(hook); }

private:
    static void ShowState(ProgressReporter& progress, ExchangeStateKind kind);

    Console& m_console;
    bool m_bShowStates = false;
    std::function<void(const StatusMessage&)> m_hook;
};

// Seconds as milliseconds, bounded so that the count cannot overflow.
std::chrono::milliseconds SecondsToMs(double seconds);

// The device line's five flags, for the exit status.
LineState StateOf(const CDeviceLine& line);

class DeviceConnection {
public:
    DeviceConnection(const GlobalOptions& options, Console& console);
    // The status view cuts a running exchange short and waits for its worker;
    // the device line then restores the port's handshake.
    ~DeviceConnection();
    DeviceConnection(const DeviceConnection&) = delete;
    DeviceConnection& operator=(const DeviceConnection&) = delete;

    // Connects and identifies. Reports a failure itself.
    ExitStatus Open();
    // The line on standard error for a connection that is not ready.
    void ReportNotReady();
    // Waits for the running course; false when it was cancelled.
    bool Wait();
    // Runs the event loop until done() holds (true), or until 5 s after a
    // cancel request that was honoured while mayGiveUp() holds (false).
    bool WaitUntil(const std::function<bool()>& done, const std::function<bool()>& mayGiveUp);
    // True once a cancel request stopped (or began to stop) something.
    bool CancelHonoured() const { return m_bCancelled; }
    // "Cancelled" on standard error, and its exit status.
    ExitStatus Cancelled();

    // Starts a transfer through the shared device commands and waits for the
    // course; reports a start failure itself.
    template <typename Start>
    ExitStatus Run(Start start) {
        m_window.ShowStates();
        if (const ExitStatus started = Started(start(*m_view)); started != ExitStatus::Ok) return started;
        if (!Wait()) return Cancelled();
        return ExitStatus::Ok;
    }

    // After a transfer: a system that did not come back is worth a warning.
    void WarnIfNotReady();

    // False when Open failed before the line was used (the simulator could
    // not start, the trace cannot be written): there is no view then.
    bool HasView() const { return m_view != nullptr; }
    CStatusView& View() { return *m_view; }
    DeviceSession& Session() { return m_session; }
    EventLoop& Loop() { return m_loop; }
    SignalWatcher& Watcher() { return *m_watcher; }
    CliStatusWindow& Window() { return m_window; }

private:
    // Ok when the transfer started; otherwise reports why and returns the status.
    ExitStatus Started(CommandStart start);
    // What a Ctrl+C did, told on the event loop's thread.
    void ReportCancel(const CancelReply& reply);

    const GlobalOptions& m_options;
    Console& m_console;
    DeviceSession m_session;
    EventLoop m_loop;
    CliStatusWindow m_window;
    std::unique_ptr<CStatusView> m_view;
    std::unique_ptr<SignalWatcher> m_watcher;
    std::atomic<bool> m_bCancelled{false};
};

}  // namespace brelko::cli
