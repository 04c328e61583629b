// A restore with a safety copy first, as one course that the command line
// and the window drive on their event loop; nothing here waits on the line.
//
//   1. the current settings are fetched with the backup request and saved
//      atomically as safety/<product>-<version>-<YYYYMMDD-HHMMSS>.asc beside
//      the file being restored (or in a chosen folder);
//   2. when asked for, the user sees what the restore would change (the
//      current settings against the file) and decides;
//   3. only then is the file sent. If the safety copy fails, nothing is sent.
//
// The outcome names the safety copy, the bytes the system can have received
// and how the sending ended.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brelko {

class CStatusView;
class CText;
struct CourseOutcome;

struct RestoreOptions {
    bool safetyCopy = true;
    std::string restoredFile;  // the file being restored: its folder gets safety/
    std::string safetyFolder;  // another folder for the safety copy (empty: safety/ beside the file)
    // The time the safety copy is named by (local time); tests set their own.
    std::function<std::time_t()> clock;
    // Asked once the current settings have come (and the safety copy is
    // saved), before the first byte of the file: `current` is what the
    // system holds now. answer(true) sends the file, answer(false) nothing.
    // It may answer later, on the user-interface thread. Empty: the file
    // goes at once. With it the current settings are fetched even without
    // a safety copy.
    using Confirm = std::function<void(const std::string& current, std::function<void(bool)> answer)>;
    Confirm confirm;
};

enum class RestoreStage { Idle, SafetyCopy, Confirming, Sending, Done };

enum class RestoreEnd {
    Running,
    NotStarted,  // nothing of the file was sent (see RestoreOutcome::why)
    Completed,   // the block went out whole
    Forced,      // a second cancel request stopped it halfway
    Stalled,     // the line would not pass the bytes on
    DeviceLost,  // the device vanished while it was sent
};

enum class RestoreNotStarted {
    None,
    NotReady,            // the system is not identified
    Busy,                // another exchange runs
    SafetyCopyFailed,    // the current settings did not come whole
    SafetyCopyNotSaved,  // they came, but could not be saved
    Cancelled,           // the user cancelled before the first byte of the file, or declined
};

struct RestoreOutcome {
    RestoreEnd end = RestoreEnd::Running;
    RestoreNotStarted why = RestoreNotStarted::None;
    std::string safetyCopy;       // the safety copy's path; empty without one
    std::string safetyError;      // why none could be made, when one was asked for
    std::size_t bytesToSend = 0;  // the block up to and including its "[END]", and the closing line feed
    std::size_t bytesReceivable = 0;  // what the system can have received: what left the output queue
    bool ready = false;           // the system answered after it all

    // The system may now hold part of the new settings.
    bool Partial() const {
        return end == RestoreEnd::Forced || end == RestoreEnd::Stalled || end == RestoreEnd::DeviceLost;
    }
    // What to tell the user, line by line, in the user's language.
    std::vector<std::string> Messages() const;
    // Once the block is on the line: what the system can have received, and
    // how to bring the old settings back (the lines a stop ends with).
    std::vector<std::string> PartialLines() const;
};

// "<product>-<version>-<YYYYMMDD-HHMMSS>.asc", with every character that is
// no letter, digit, '.', '_' or '-' made '_' (and an unknown product named so).
std::string SafetyCopyName(const std::string& product, const std::string& version, std::time_t when);
// The folder the safety copy goes to: the chosen one, else safety/ beside the
// restored file, or the restored file's own folder when that is a safety/.
std::string SafetyFolder(const RestoreOptions& options);
// Makes the folder when it is missing and checks that a file can be made in
// it. False with "<folder>: <the system's reason>".
bool SafetyFolderUsable(const std::string& folder, std::string* reason);

class RestoreCourse {
public:
    RestoreCourse(CStatusView& view, std::shared_ptr<CText> text, RestoreOptions options);
    // Stops listening; a course still running goes on without it.
    ~RestoreCourse();
    RestoreCourse(const RestoreCourse&) = delete;
    RestoreCourse& operator=(const RestoreCourse&) = delete;

    // Starts the safety copy, or the sending without one. False when nothing
    // could start; Outcome() then says why.
    bool Start();

    RestoreStage Stage() const { return m_stage; }
    bool Finished() const { return m_outcome.end != RestoreEnd::Running; }
    const RestoreOutcome& Outcome() const { return m_outcome; }
    // The outcome as it stands the moment a second cancel request stops the
    // block: what the system can have received so far, and the safety copy.
    RestoreOutcome StoppedHalfwayNow() const;

    // Told on the user-interface thread when the stage changes (the safety
    // copy's path is in Outcome() once the sending stage begins) and when the
    // restore has finished (stage Done).
    void OnStage(std::function<void(RestoreStage)> handler) { m_onStage = std::move(handler); }

private:
    void CourseEnded(const CourseOutcome& course);
    void SafetyCopyEnded(const CourseOutcome& course);
    void SendingEnded(const CourseOutcome& course);
    bool StartSending();
    void Finish(RestoreEnd end, RestoreNotStarted why = RestoreNotStarted::None);
    void Enter(RestoreStage stage);
    void Confirm(const std::string& current);

    CStatusView& m_view;
    std::shared_ptr<CText> m_text;
    std::shared_ptr<CText> m_copy;
    RestoreOptions m_options;
    RestoreStage m_stage = RestoreStage::Idle;
    RestoreOutcome m_outcome;
    std::function<void(RestoreStage)> m_onStage;
    int m_listener = 0;
    // Tells a late answer of the confirmation whether this course is still there.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace brelko
