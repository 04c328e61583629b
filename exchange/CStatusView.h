// The status logic: owns the device line, connects, clears the vision
// system's buffers and identifies it, keeps the connection state and shows it
// with the progress of transfers as five text lines. Independent of any window
// system: what it needs of a window goes through IStatusWindow, and it
// receives the private messages of the workers as a MessageSink.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/BlockWatch.h"
#include "exchange/ExchangeMessages.h"
#include "exchange/Identification.h"
#include "platform/Messages.h"
#include "exchange/RequestRules.h"
#include "exchange/StatusWindow.h"
#include "exchange/TransferFailure.h"

namespace brelko {

class CDeviceLine;

// The waits of the buffer clearing.
struct ClearingTimings {
    int byteTimeoutMs = 500;        // every wait for a byte
    int kaldspotRestartMs = 3000;   // before probing a KALDspot after a restore
    int restartRounds = 40;         // probes while a restored system restarts
    int restartRoundMs = 500;       // pause before each probe
    int drainLimitMs = 60000;       // a babbling line is drained no longer than this
};

// What a language sending did with each line of the file.
struct LanguageOutcome {
    bool done = false;         // the sending ran to its end (all lines tried)
    int lines = 0;             // lines sent as requests (empty pieces are not lines)
    int refused = 0;           // answered with "?"
    int notEchoed = 0;         // the echo did not come back right
    std::vector<int> refusedLines;    // their line numbers in the file, from 1
    std::vector<int> notEchoedLines;
    bool saved = false;        // the order to store the texts was echoed
    // The sending did nothing that counts: every line refused or not
    // echoed, or the store order not taken.
    bool Failed() const { return done && (!saved || (lines > 0 && refused + notEchoed == lines)); }
};

// What a cancel request did.
enum class CancelAnswer {
    Cancelling,         // the running exchange stops within a second
    RestoreCannotStop,  // a restore block is on the line: it runs to its end (see secondsLeft)
    Forced,             // a second request soon after the first: the restore block stops at once
};
struct CancelReply {
    CancelAnswer answer = CancelAnswer::Cancelling;
    long secondsLeft = 0;  // RestoreCannotStop: how long the block still runs
};

// How the last course (transfer, clearing, identification) ended.
struct CourseOutcome {
    bool receiveFailed = false;  // IDS_RECEIVE_ERROR (31464): line errors, silence, cancel or hang-up
    bool sendFailed = false;     // IDS_SEND_ERROR (31463): stalled queue, cancel or hang-up
    bool pictureFailed = false;  // IDS_PICTURE_ERROR (31462, "Error receiving picture")
    bool cancelled = false;      // a cancel request stopped something during the course
    bool forced = false;         // a restore block was stopped halfway by a second request
    bool ready = false;          // the system was identified at the end
    TransferFailure failure = TransferFailure::None;  // why the transfer failed, as its worker says
    LineFaultReport lineFault;   // what the line did when the identification at the end failed
    std::size_t bytesSent = 0;    // the last count a sending reported: what the system can have received
    std::size_t bytesToSend = 0;  // what it was to send
    LanguageOutcome language;     // after a language sending
};

class CStatusView : public MessageSink {
public:
    // Makes the device line (which opens the configured port) and registers
    // itself with the queue of the user-interface thread.
    CStatusView(PostQueue& queue, IStatusWindow& window);
    // Cuts a running exchange short and waits for its worker, so that no
    // worker outlives the line.
    ~CStatusView() override;
    CStatusView(const CStatusView&) = delete;
    CStatusView& operator=(const CStatusView&) = delete;

    // The framework's initial update: connects.
    void OnInitialUpdate();
    // Rebuilds the status lines and shows them (every invalidation ends here).
    void OnDraw();

    // Rebuilds the port and starts clearing and identification. Does nothing
    // while an exchange runs.
    void Connect();
    // True when the system answered its version. User-interface thread:
    // ApplyIdentification(IdentifySystem(line, timings)).
    bool QueryVersion();
    // Sets the connection flags and the identification from what the line
    // part found (IdentifySystem, Identification.h); true when identified.
    // User-interface thread.
    bool ApplyIdentification(const IdentifyResult& result);
    // Posts the clearing state and starts the clearing worker; always 1.
    int StartBufferClearing(FollowUp followUp);
    static int BufferClearingThread(CStatusView* view);

    bool IsCtsOn();
    bool IsDtrOn();

    // The window that receives the workers' messages.
    WindowHandle Handle() const { return m_wnd.Handle(); }
    void OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override;
    // Handles one of the workers' messages as if it had been posted.
    void Receive(const StatusMessage& message);

    // The request rules over the current identification.
    SystemIdentity Identity() const;
    bool MatchModel(std::string_view token, int low, int high) const;
    std::string GetPictureCommand() const;
    std::string GetMenuCommand() const;
    std::string GetLanguageCommand() const;
    std::string GetBackupCommand() const;
    std::string GetRestoreCommand() const;
    bool IsHexPictureSystem() const;
    bool HasExtraPictureByte() const;

    // The text of the connection state: an adapter that is gone, else the
    // first unset flag, or "Ready".
    std::string ConnectionStateText() const;
    // The device of the port is gone (its adapter unplugged, or the line hung
    // up and nothing answers): the state line says so until it is back.
    // Empty: it is there. A Connect that opens the port again clears it.
    void SetDeviceGone(std::string name) { m_strGoneDevice = std::move(name); }
    const std::string& GoneDevice() const { return m_strGoneDevice; }
    // What the line did when the last identification failed (none after a
    // good one or a connect that did not get that far).
    const LineFaultReport& LastLineFault() const { return m_lineFault; }
    // What the last identification added to line 4: the line fault in
    // words, or why a reply that came is not enough; empty when nothing.
    const std::string& IdentifyNote() const { return m_strIdentifyNote; }
    // The connection state as the user should hear it: what the line did
    // when that tells more than the state text, the state text otherwise.
    // Silence keeps the state text: no echo at all is the wrong port.
    std::string WhatHappenedText() const;
    const std::vector<std::string>& Lines() const { return m_astrLines; }

    // A course is everything from the start of a connect or a transfer to the
    // identification after its buffer clearing. True while one runs (already
    // before its first message is handled).
    bool IsExchangeRunning() const { return m_bBusy != 0 || m_bCourse; }
    // Marks the start of a course (the device commands call it before they
    // start a transfer): clears an old cancel request and the outcome.
    void BeginCourse();
    // Forgets a course whose transfer did not start (nothing was sent).
    void AbandonCourse() { m_bCourse = false; }
    const CourseOutcome& LastOutcome() const { return m_outcome; }

    // Told on the user-interface thread when a course has ended, after the
    // view has shown its end; a listener may start the next course. Returns
    // an id for RemoveCourseListener.
    using CourseListener = std::function<void(const CourseOutcome&)>;
    int AddCourseListener(CourseListener listener);
    void RemoveCourseListener(int id);

    // Runs the line part of the identification after each clearing on a
    // worker, so that the user-interface thread never waits on the line;
    // its result comes back as an Identified message. Off: on the user-interface
    // thread, as QueryVersion.
    void SetIdentifyOnWorker(bool on) { m_bIdentifyOnWorker = on; }
    // Asks the running exchange to stop; any thread. A transfer ends within a
    // second as a failed one, and clearing and identification follow; a
    // request during the clearing cuts its waits short. But once the first
    // byte of a restore block is on the line, a request does not cut it
    // (RestoreCannotStop, with the seconds it still runs), unless a second
    // one follows within kForceWindow: that stops the block at once (Forced).
    CancelReply RequestCancel(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
    static constexpr std::chrono::seconds kForceWindow{3};
    // The restore block of the running course, as its sender reports it.
    const std::shared_ptr<BlockWatch>& Block() const { return m_block; }
    // Runs the queue until the running course has ended (true) or the time-out
    // passed (false). For plain event loops.
    bool WaitForCourse(EventLoop& loop, std::chrono::milliseconds timeout);

    // How long a text reception waits without any byte.
    void SetReceiveSilenceLimit(std::chrono::milliseconds limit) { m_receiveSilenceLimit = limit; }
    std::chrono::milliseconds ReceiveSilenceLimit() const { return m_receiveSilenceLimit; }
    void SetClearingTimings(const ClearingTimings& timings) { m_timings = timings; }
    const ClearingTimings& Timings() const { return m_timings; }

    // The device line; there is always one.
    CDeviceLine& Line() const { return *m_pLine; }
    // Busy from a transfer's or a clearing's start until the identification
    // after it: the device commands wait, the port is not touched.
    bool IsBusy() const { return m_bBusy != 0; }
    // Line 4: the last progress or error text, until the next one.
    const std::string& Progress() const { return m_strProgress; }
    void SetProgress(std::string text) { m_strProgress = std::move(text); }
    // Shown on line 4 below the progress for the rest of the course (what
    // the user may do now); a new course clears it.
    void SetNotice(std::string text) { m_strNotice = std::move(text); }
    // Backups with the system's learned data (the Options dialog's choice).
    bool ServiceData() const { return m_bServiceData != 0; }
    void SetServiceData(bool on) { m_bServiceData = on ? 1 : 0; }
    // What the last identification found: the reply as shown on line 1, its
    // product word, its version text and that version as a number.
    const std::string& VersionReply() const { return m_strVersionReply; }
    const std::string& Product() const { return m_strProduct; }
    const std::string& Version() const { return m_strVersion; }
    int VersionNumber() const { return m_nVersion; }

private:
    // Handlers of the private messages.
    void OnBytesReceived(const BytesReceived& message);
    void OnBytesSent(const BytesSent& message);
    void OnExchangeState(const ExchangeState& message);
    void OnTransferDone(const TransferDone& message);
    void OnTransferError(const TransferError& message);
    void OnIdentified();
    void OnLanguageLine(const LanguageLine& message);
    void OnLanguageDone(const LanguageDone& message);

    void SetLine(std::size_t index, std::string text);
    void EndCourse();
    void Identify();
    void TellCourseEnded();
    // Line 4 says what the line did (once, below what it already says).
    void ShowLineFault(const LineFaultReport& fault);
    void ShowLine4(const std::string& text);

    std::unique_ptr<CDeviceLine> m_pLine;
    int m_bBusy = 0;
    std::vector<std::string> m_astrLines;
    std::string m_strProgress;
    std::string m_strNotice;
    std::string m_strDocInfo;
    FollowUp m_nFollowUp = FollowUp::Identify;
    int m_bServiceData = 0;
    std::string m_strVersionReply;
    std::string m_strProduct;
    std::string m_strVersion;
    int m_nVersion = 0;

    IStatusWindow& m_window;
    std::string m_strGoneDevice;
    bool m_bCourse = false;
    bool m_bPurgeTransmit = true;  // read by the clearing worker
    CourseOutcome m_outcome;
    LineFaultReport m_lineFault;
    std::string m_strIdentifyNote;
    ClearingTimings m_timings;
    bool m_bIdentifyOnWorker = false;
    std::shared_ptr<BlockWatch> m_block = std::make_shared<BlockWatch>();
    std::atomic<long long> m_deferredCancel{0};  // when a request was put off (clock ticks), 0: none
    std::atomic<bool> m_bForced{false};
    std::mutex m_identifyMutex;
    std::optional<IdentifyResult> m_identified;  // from the worker, for the Identified message
    std::vector<std::pair<int, CourseListener>> m_listeners;
    int m_nextListener = 1;
    std::chrono::milliseconds m_receiveSilenceLimit{30000};
    Window m_wnd;  // last: messages reach a complete object
};

}  // namespace brelko
