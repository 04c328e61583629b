#include "cli/DeviceConnection.h"

#include <algorithm>

#include "comlink/deviceline/CDeviceLine.h"
#include "cli/CliText.h"
#include "exchange/ProgressText.h"
#include "platform/Strings.h"

namespace brelko::cli {

using namespace std::chrono_literals;

void CliStatusWindow::Notify(const StatusMessage& message) {
    ProgressReporter& progress = m_console.Progress();
    std::visit(Overloaded{
                   [&](const BytesReceived& m) { progress.Update(Direction::Receiving, m.count, m.expected); },
                   [&](const BytesSent& m) { progress.Update(Direction::Sending, m.count, m.toSend); },
                   [&](const ExchangeState& m) {
                       if (m_bShowStates) ShowState(progress, m.kind);
                   },
                   [&](const TransferDone&) { progress.Finish(); },
                   [&](const TransferError&) { progress.Finish(); },
                   [](const auto&) {},
               },
               message);
    if (m_hook) m_hook(message);
}

void CliStatusWindow::ShowState(ProgressReporter& progress, ExchangeStateKind kind) {
    switch (kind) {
    case ExchangeStateKind::Receiving: progress.State(LoadString(IDS_RECEIVING_DATA)); break;
    case ExchangeStateKind::Sending: progress.State(LoadString(IDS_SENDING_DATA)); break;
    case ExchangeStateKind::Clearing:
    case ExchangeStateKind::PictureFailed: progress.State(LoadString(IDS_CLEARING_BUFFER)); break;
    case ExchangeStateKind::Identify:
    case ExchangeStateKind::IdentifyAfterRestore: break;
    }
}

std::chrono::milliseconds SecondsToMs(double seconds) {
    // Beyond a few years it makes no difference, and the count must not overflow.
    return std::chrono::milliseconds(static_cast<long long>(std::min(seconds, 1e8) * 1000));
}

LineState StateOf(const CDeviceLine& line) {
    return LineState{line.m_bPortOpen != 0, line.m_bContact != 0, line.m_bRightPort != 0, line.m_bKnownSystem != 0,
                     line.m_bReady != 0};
}

DeviceConnection::DeviceConnection(const GlobalOptions& options, Console& console)
    : m_options(options), m_console(console), m_session(options, console), m_window(console) {}

DeviceConnection::~DeviceConnection() {
    if (m_view) m_session.ReportTraceEnd(m_view->Line().Trace());
    m_watcher.reset();
    m_view.reset();
}

ExitStatus DeviceConnection::Open() {
    if (const ExitStatus prepared = m_session.Prepare(); prepared != ExitStatus::Ok) return prepared;
    m_view = WithoutStdout([&] { return std::make_unique<CStatusView>(m_loop, m_window); });
    m_window.Attach(m_view.get());
    if (const ExitStatus traced = m_session.StartTrace(m_view->Line()); traced != ExitStatus::Ok) {
        m_window.Attach(nullptr);
        m_view.reset();  // nothing went over the line; nothing more to report
        return traced;
    }
    if (m_options.timeout) m_view->SetReceiveSilenceLimit(SecondsToMs(*m_options.timeout));
    m_watcher = std::make_unique<SignalWatcher>([this](int) {
        const CancelReply reply = m_view->RequestCancel();
        // A restore block on the line runs to its end: the next Ctrl+C asks
        // again. Otherwise the next one ends the program at once.
        if (reply.answer != CancelAnswer::RestoreCannotStop) {
            m_bCancelled = true;
            SignalWatcher::ExitOnNextSignal();
        }
        m_loop.Enqueue([this, reply] { ReportCancel(reply); });
        m_loop.Wake();
    });
    WithoutStdout([&] { m_view->OnInitialUpdate(); });
    if (!Wait()) return Cancelled();
    return ExitStatusForState(StateOf(m_view->Line()));
}

void DeviceConnection::ReportNotReady() {
    if (!m_view) return;  // the session failed before: already reported
    const CDeviceLine& line = m_view->Line();
    if (!line.m_bPortOpen) {
        m_console.Error(m_session.OpenFailureText(line));
        return;
    }
    const std::string state = m_view->ConnectionStateText();
    const std::string happened = m_view->WhatHappenedText();
    if (happened != state) {
        // Not the wrong port after all: what the line did instead.
        m_console.Error(m_session.PortLabel() + ": " + happened);
        return;
    }
    m_console.Error(state + " (" + m_session.PortLabel() + ")");
    // Why the state is what it is, when the line told (silence, noise, a
    // version that cannot be read).
    if (!m_view->IdentifyNote().empty()) m_console.Error(m_view->IdentifyNote());
}

bool DeviceConnection::Wait() {
    const bool ended = WaitUntil([this] { return !m_view->IsExchangeRunning(); }, [] { return true; });
    return ended && !m_bCancelled && !m_view->LastOutcome().cancelled;
}

bool DeviceConnection::WaitUntil(const std::function<bool()>& done, const std::function<bool()>& mayGiveUp) {
    auto cancelledAt = std::chrono::steady_clock::time_point{};
    bool gaveUp = false;
    while (!m_loop.RunUntil(done, 200ms)) {
        if (!m_bCancelled || !mayGiveUp()) continue;
        // A cancelled transfer ends within a second; the clearing after it
        // may take longer, but the user asked to stop.
        const auto now = std::chrono::steady_clock::now();
        if (cancelledAt == std::chrono::steady_clock::time_point{}) cancelledAt = now;
        if (now - cancelledAt > 5s) {
            gaveUp = true;
            break;
        }
    }
    m_console.Progress().Finish();
    return !gaveUp;
}

void DeviceConnection::ReportCancel(const CancelReply& reply) {
    if (reply.answer == CancelAnswer::Forced) {
        m_console.Progress().Interrupt();
        m_console.Error(LoadString(IDS_RESTORE_FORCED));
        return;
    }
    m_console.Progress().Interrupt();
    if (reply.answer == CancelAnswer::Cancelling) {
        m_console.Error(CliText(Text::Stopping));
        return;
    }
    m_console.Error(Percent(LoadString(IDS_RESTORE_CANNOT_STOP), 1, std::to_string(reply.secondsLeft)) + " " +
                    CliText(Text::CtrlCAgain));
}

ExitStatus DeviceConnection::Cancelled() {
    m_console.Error(CliText(Text::Cancelled));
    return ExitStatus::Cancelled;
}

ExitStatus DeviceConnection::Started(CommandStart start) {
    switch (start) {
    case CommandStart::Started:
        return ExitStatus::Ok;
    case CommandStart::NotReady:
        ReportNotReady();
        return ExitStatusForState(StateOf(m_view->Line()));
    case CommandStart::Busy:
    case CommandStart::NotStarted:
        break;
    }
    m_console.Error(CliText(Text::NotReady));
    return ExitStatus::Failure;
}

void DeviceConnection::WarnIfNotReady() {
    if (!m_view->LastOutcome().ready)
        m_console.Error(CliText(Text::NotReady) + ": " + m_view->WhatHappenedText());
}

}  // namespace brelko::cli
