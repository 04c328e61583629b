#include "exchange/CStatusView.h"

#include <algorithm>

#include "data/CData.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/LineTrace.h"
#include "platform/Profile.h"
#include "exchange/Identification.h"
#include "exchange/ProgressText.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"
#include "exchange/VersionReply.h"
#include "platform/Workers.h"

namespace brelko {

void HeadlessStatusWindow::Invalidate(bool erase) {
    ++m_nInvalidations;
    if (erase) ++m_nErasing;
    if (m_pView) m_pView->OnDraw();
}

CStatusView::CStatusView(PostQueue& queue, IStatusWindow& window)
    : m_pLine(std::make_unique<CDeviceLine>()), m_window(window), m_wnd(queue, *this) {}

CStatusView::~CStatusView() {
    m_wnd.Close();
    if (m_pLine) m_pLine->RequestCancel();
    // Every worker of an exchange uses the line: none may outlive it.
    JoinWorkers(std::chrono::milliseconds(10000));
}

void CStatusView::OnInitialUpdate() {
    Connect();
}

// ---------------------------------------------------------------- refresh

void CStatusView::SetLine(std::size_t index, std::string text) {
    if (m_astrLines.size() <= index) m_astrLines.resize(index + 1);
    m_astrLines[index] = std::move(text);
}

std::string CStatusView::ConnectionStateText() const {
    const CDeviceLine& line = *m_pLine;
    if (!m_strGoneDevice.empty()) return FormatPercent1(LoadString(IDS_ADAPTER_GONE_STATE), m_strGoneDevice);
    if (!line.m_bPortOpen) return LoadString(IDS_CANNOT_OPEN_PORT);
    if (!line.m_bContact) return LoadString(IDS_NO_CONTACT);
    if (!line.m_bRightPort) return LoadString(IDS_WRONG_PORT);
    if (!line.m_bKnownSystem) return LoadString(IDS_UNKNOWN_SYSTEM);
    return LoadString(AFX_IDS_IDLEMESSAGE);
}

std::string CStatusView::WhatHappenedText() const {
    // "Wrong com port" is what no echo at all means; an echo spoilt by the
    // line, or a device that is gone, has another remedy.
    const CDeviceLine& line = *m_pLine;
    // A device known to be gone is told so, whatever the line did last.
    if (!m_strGoneDevice.empty()) return ConnectionStateText();
    // And a device that vanished is no unknown system either.
    const bool misleading = !line.m_bRightPort || m_lineFault.fault == LineFault::Vanished;
    if (line.m_bPortOpen && line.m_bContact && !line.m_bReady && misleading && m_lineFault.Any() &&
        m_lineFault.fault != LineFault::NoAnswer)
        return LineFaultText(m_lineFault);
    return ConnectionStateText();
}

void CStatusView::OnDraw() {
    ActiveDocument document = m_window.GetActiveDocument();
    if (!document.isDataDocument) m_strDocInfo.clear();
    else if (document.data) m_strDocInfo = document.data->m_strDescription;

    const std::string port = Profile::GetString("Custom", "Comport", "1");
    std::string portLine = FormatPercent1(LoadString(m_pLine->m_bPortOpen ? IDS_PORT_OPEN : IDS_PORT_NOT_OPEN), port);
    if (!m_bBusy) SetLine(3, ConnectionStateText());
    SetLine(0, m_strVersionReply);
    SetLine(1, std::move(portLine));
    SetLine(2, m_strDocInfo);
    SetLine(4, m_strNotice.empty() ? m_strProgress : m_strProgress + (m_strProgress.empty() ? "" : "\n") + m_strNotice);

    std::string text;
    for (const std::string& line : m_astrLines) text += line + "\n\n";
    m_window.SetStatusText(text);
    if (m_astrLines.size() >= 4) m_window.SetMessagePane(m_astrLines[3]);
}

// ---------------------------------------------------------------- connection

void CStatusView::Connect() {
    // While a course runs a worker may be using the port: never rebuild it.
    if (IsExchangeRunning()) return;
    m_pLine->ClearCancel();
    m_lineFault = LineFaultReport{};
    m_strIdentifyNote.clear();
    if (!m_pLine->Reopen()) {
        m_window.Invalidate(true);
        return;
    }
    m_strGoneDevice.clear();  // the port opens: its device is there
    if (!IsCtsOn()) {
        m_pLine->m_bContact = 0;
        m_pLine->m_bRightPort = 0;
        m_pLine->m_bKnownSystem = 0;
        m_pLine->m_bReady = 0;
        m_window.Invalidate(true);
        return;
    }
    m_pLine->m_bContact = 1;
    m_strProgress.clear();
    BeginCourse();
    StartBufferClearing(FollowUp::Identify);
}

bool CStatusView::QueryVersion() {
    return ApplyIdentification(IdentifySystem(*m_pLine, m_timings));
}

bool CStatusView::ApplyIdentification(const IdentifyResult& result) {
    CDeviceLine& line = *m_pLine;
    m_strIdentifyNote.clear();
    ShowLineFault(result.lineFault);
    switch (result.outcome) {
    case IdentifyOutcome::NoEcho:
        m_strVersionReply.clear();
        line.m_bRightPort = 0;
        line.m_bReady = 0;
        return false;
    case IdentifyOutcome::Refused:
    case IdentifyOutcome::NoReply:
    case IdentifyOutcome::Garbled:
        // The echo came, so the port is right; but the system is unknown,
        // and not ready: stale request words from before must not be used.
        if (result.outcome == IdentifyOutcome::NoReply) m_strVersionReply.clear();
        if (result.outcome == IdentifyOutcome::Garbled) {
            // What came is shown, its unprintable bytes as <XX>, and why it
            // is not enough.
            m_strVersionReply = FormatTraceBytes(result.reply);
            if (!result.lineFault.Any()) {
                m_strIdentifyNote =
                    result.version.empty()
                        ? Percent(LoadString(IDS_VERSION_MISSING), 1, FormatTraceBytes(result.reply))
                        : Percent(LoadString(IDS_VERSION_UNREADABLE), 1, FormatTraceBytes(result.version));
                ShowLine4(m_strIdentifyNote);
            }
        }
        line.m_bRightPort = 1;
        line.m_bKnownSystem = 0;
        line.m_bReady = 0;
        return false;
    case IdentifyOutcome::Identified:
        break;
    }
    line.m_bRightPort = 1;
    line.m_bKnownSystem = 1;
    line.m_bReady = 1;
    m_strVersionReply = FormatTraceBytes(result.reply);
    m_strProduct = result.product;
    m_strVersion = result.version;
    m_nVersion = result.number;
    return true;
}

void CStatusView::ShowLineFault(const LineFaultReport& fault) {
    m_lineFault = fault;
    m_outcome.lineFault = fault;
    if (fault.Any()) m_strIdentifyNote = LineFaultText(fault);
    ShowLine4(LineFaultText(fault));
}

void CStatusView::ShowLine4(const std::string& text) {
    if (text.empty() || m_strProgress.find(text) != std::string::npos) return;
    m_strProgress = m_strProgress.empty() ? text : m_strProgress + "\n" + text;
}

bool CStatusView::IsCtsOn() {
    if (!m_pLine->m_bPortOpen) return false;
    if (IsExchangeRunning()) return true;  // a worker may be using the port
    CLineStatus* status = m_pLine->LineStatus();
    if (!status) return false;
    status->Refresh();
    return status->Cts() == 1;
}

bool CStatusView::IsDtrOn() {
    if (!m_pLine->m_bPortOpen) return false;
    if (IsExchangeRunning()) return true;
    CLineStatus* status = m_pLine->LineStatus();
    if (!status) return false;
    status->Refresh();
    return status->Dtr(-1) == 1;
}

// ---------------------------------------------------------------- courses

void CStatusView::BeginCourse() {
    m_pLine->ClearCancel();
    m_outcome = CourseOutcome{};
    m_block->Reset();
    m_deferredCancel = 0;
    m_bForced = false;
    m_bCourse = true;
    m_strNotice.clear();
}

void CStatusView::EndCourse() {
    m_bCourse = false;
    m_outcome.ready = m_pLine->m_bReady != 0;
    if (m_bForced && !m_outcome.forced && m_block->HandedOver()) {
        // Stopped in the driver after the sender was done: what left before
        // the purge is what the system can have received.
        m_outcome.forced = true;
        m_outcome.sendFailed = true;
        m_outcome.failure = TransferFailure::Cancelled;
        m_outcome.bytesSent = m_block->CarriedAtStop();
    }
}

int CStatusView::AddCourseListener(CourseListener listener) {
    const int id = m_nextListener++;
    m_listeners.emplace_back(id, std::move(listener));
    return id;
}

void CStatusView::RemoveCourseListener(int id) {
    std::erase_if(m_listeners, [id](const auto& entry) { return entry.first == id; });
}

void CStatusView::TellCourseEnded() {
    // A copy: a listener may add or remove listeners, or start a course.
    const auto listeners = m_listeners;
    const CourseOutcome outcome = m_outcome;
    for (const auto& [id, listener] : listeners) {
        const bool stillThere = std::any_of(m_listeners.begin(), m_listeners.end(),
                                            [id = id](const auto& entry) { return entry.first == id; });
        if (stillThere) listener(outcome);
    }
}

CancelReply CStatusView::RequestCancel(std::chrono::steady_clock::time_point now) {
    CancelReply reply;
    if (!m_pLine) return reply;
    // The block is under way until the line can have carried it, also when
    // the driver took all of it at once.
    const auto clock = std::chrono::steady_clock::now();
    if (m_block->UnderWay(clock)) {
        const long long at = now.time_since_epoch().count();
        const long long before = m_deferredCancel.load();
        const auto window = std::chrono::duration_cast<std::chrono::steady_clock::duration>(kForceWindow).count();
        if (before != 0 && at - before <= window && at >= before) {
            // The user insists: the block stops halfway.
            m_bForced = true;
            if (m_block->HandedOver()) {
                // The sender is done and the rest waits in the driver: it is
                // thrown away there, and the trace tells what really left.
                // The clearing that runs (or comes) must not be cut, or the
                // system would stay in the middle of a block.
                m_block->Stop(PurgeUnsentBytes(*m_pLine, m_block->SentBytes(), m_block->Total()), clock);
            } else {
                m_pLine->RequestCancel();
            }
            reply.answer = CancelAnswer::Forced;
            return reply;
        }
        m_deferredCancel = at;
        reply.answer = CancelAnswer::RestoreCannotStop;
        reply.secondsLeft = m_block->SecondsLeft(clock);
        return reply;
    }
    m_pLine->RequestCancel();
    return reply;
}

bool CStatusView::WaitForCourse(EventLoop& loop, std::chrono::milliseconds timeout) {
    return loop.RunUntil([this] { return !IsExchangeRunning(); }, timeout);
}

// ---------------------------------------------------------------- messages

void CStatusView::OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    if (const std::optional<StatusMessage> message = DecodeStatusMessage(msg, wParam, lParam)) Receive(*message);
}

void CStatusView::Receive(const StatusMessage& message) {
    std::visit(Overloaded{
                   [this](const BytesReceived& m) { OnBytesReceived(m); },
                   [this](const BytesSent& m) { OnBytesSent(m); },
                   [this](const ExchangeState& m) { OnExchangeState(m); },
                   [this](const TransferDone& m) { OnTransferDone(m); },
                   [this](const TransferError& m) { OnTransferError(m); },
                   [this](const Identified&) { OnIdentified(); },
                   [this](const LanguageLine& m) { OnLanguageLine(m); },
                   [this](const LanguageDone& m) { OnLanguageDone(m); },
               },
               message);
    m_window.Notify(message);
}

void CStatusView::OnBytesReceived(const BytesReceived& message) {
    m_strProgress = FormatProgress(IDS_BYTES_RECEIVED, message.count, message.expected);
    m_window.Invalidate(false);
}

void CStatusView::OnBytesSent(const BytesSent& message) {
    m_strProgress = FormatProgress(IDS_BYTES_SENT, message.count, message.toSend);
    m_outcome.bytesSent = message.count;
    m_outcome.bytesToSend = message.toSend;
    m_window.Invalidate(false);
}

void CStatusView::OnLanguageLine(const LanguageLine& message) {
    LanguageOutcome& language = m_outcome.language;
    if (message.fault == LanguageLineFault::Refused) {
        ++language.refused;
        language.refusedLines.push_back(message.number);
    } else {
        ++language.notEchoed;
        language.notEchoedLines.push_back(message.number);
    }
}

void CStatusView::OnLanguageDone(const LanguageDone& message) {
    LanguageOutcome& language = m_outcome.language;
    language.done = true;
    language.lines = message.lines;
    language.saved = message.saved;
    // The summary stays on line 4 after the sending: how many lines the
    // system would not take, and which.
    m_strProgress = LanguageSummary(language);
    if (m_outcome.sendFailed) m_strProgress = LoadString(IDS_SEND_ERROR) + "\n" + m_strProgress;
    m_window.Invalidate(false);
}

void CStatusView::OnTransferError(const TransferError& message) {
    const bool sending = message.direction == TransferDirection::Sending;
    if (sending) m_outcome.sendFailed = true;
    else m_outcome.receiveFailed = true;
    if (m_pLine->CancelRequested()) m_outcome.cancelled = true;
    if (sending && m_bForced) m_outcome.forced = true;
    if (message.failure != TransferFailure::None) m_outcome.failure = message.failure;
    // Line 4 says why: the user's own cancel is no error of the line.
    const long silence = static_cast<long>((m_receiveSilenceLimit.count() + 999) / 1000);
    m_strProgress = sending && m_bForced ? LoadString(IDS_RESTORE_FORCED)
                                         : TransferFailureText(sending, message.failure, silence);
    m_window.Invalidate(false);
}

void CStatusView::OnTransferDone(const TransferDone& message) {
    if (m_pLine->CancelRequested()) m_outcome.cancelled = true;
    StartBufferClearing(message.followUp);
}

void CStatusView::OnExchangeState(const ExchangeState& message) {
    std::string text;
    switch (message.kind) {
    case ExchangeStateKind::Sending:
        m_bBusy = 1;
        text = LoadString(IDS_SENDING_DATA);
        break;
    case ExchangeStateKind::Clearing:
        m_bBusy = 1;
        text = LoadString(IDS_CLEARING_BUFFER);
        break;
    case ExchangeStateKind::Receiving:
        m_bBusy = 1;
        text = LoadString(IDS_RECEIVING_DATA);
        break;
    case ExchangeStateKind::PictureFailed:
        m_strProgress = LoadString(m_pLine->CancelRequested() ? IDS_TRANSFER_CANCELLED : IDS_PICTURE_ERROR);
        m_outcome.pictureFailed = true;
        StartBufferClearing(FollowUp::Identify);
        text = LoadString(IDS_CLEARING_BUFFER);
        break;
    case ExchangeStateKind::Identify:
    case ExchangeStateKind::IdentifyAfterRestore:
        // A cancel that cut the clearing short does not stop the identification.
        m_pLine->ClearCancel();
        if (m_bIdentifyOnWorker) {
            Identify();
            return;  // still busy: the Identified message ends the course
        }
        QueryVersion();
        m_bBusy = 0;
        EndCourse();
        SetLine(3, std::string());
        m_window.Invalidate(true);
        TellCourseEnded();
        return;
    default:  // no state of its own: no state text
        break;
    }
    SetLine(3, std::move(text));
    m_window.Invalidate(true);
}

void CStatusView::Identify() {
    CDeviceLine* line = m_pLine.get();
    const ClearingTimings timings = m_timings;
    const WindowHandle target = Handle();
    const bool started = StartWorker([this, line, timings, target] {
        IdentifyResult result = IdentifySystem(*line, timings);
        {
            std::lock_guard lock(m_identifyMutex);
            m_identified = std::move(result);
        }
        Post(target, Identified{});
    });
    if (!started) {
        // No thread: identify here rather than stay busy for ever.
        {
            std::lock_guard lock(m_identifyMutex);
            m_identified = IdentifySystem(*line, timings);
        }
        OnIdentified();
    }
}

void CStatusView::OnIdentified() {
    std::optional<IdentifyResult> result;
    {
        std::lock_guard lock(m_identifyMutex);
        result.swap(m_identified);
    }
    if (!result) return;
    ApplyIdentification(*result);
    m_bBusy = 0;
    EndCourse();
    SetLine(3, std::string());
    m_window.Invalidate(true);
    TellCourseEnded();
}

// ---------------------------------------------------------------- request rules

SystemIdentity CStatusView::Identity() const {
    return SystemIdentity{m_strProduct, m_nVersion, m_bServiceData != 0};
}

bool CStatusView::MatchModel(std::string_view token, int low, int high) const {
    return brelko::MatchModel(Identity(), token, low, high) != 0;
}
std::string CStatusView::GetPictureCommand() const { return brelko::GetPictureCommand(Identity()); }
std::string CStatusView::GetMenuCommand() const { return brelko::GetMenuCommand(Identity()); }
std::string CStatusView::GetLanguageCommand() const { return brelko::GetLanguageCommand(Identity()); }
std::string CStatusView::GetBackupCommand() const { return brelko::GetBackupCommand(Identity()); }
std::string CStatusView::GetRestoreCommand() const { return brelko::GetRestoreCommand(Identity()); }
bool CStatusView::IsHexPictureSystem() const { return brelko::IsHexPictureSystem(Identity()) != 0; }
bool CStatusView::HasExtraPictureByte() const { return brelko::HasExtraPictureByte(Identity()) != 0; }

}  // namespace brelko
