#include "exchange/RestoreCourse.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/AtomicFile.h"
#include "exchange/BlockWatch.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "exchange/DeviceCommands.h"
#include "exchange/ProgressText.h"
#include "platform/Strings.h"
#include "platform/SystemFiles.h"

namespace brelko {

namespace {

bool SafeChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

std::string SafeWord(const std::string& word, const char* fallback) {
    std::string safe;
    for (char c : word) safe += SafeChar(c) ? c : '_';
    // No hidden file, no "." or "..".
    while (!safe.empty() && safe.front() == '.') safe.front() = '_';
    return safe.empty() ? fallback : safe;
}

RestoreNotStarted WhyNotStarted(CommandStart start) {
    return start == CommandStart::NotReady ? RestoreNotStarted::NotReady : RestoreNotStarted::Busy;
}

}  // namespace

std::string SafetyCopyName(const std::string& product, const std::string& version, std::time_t when) {
    std::tm local {};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return SafeWord(product, "unknown") + "-" + SafeWord(version, "unknown") + "-" + stamp + ".asc";
}

std::string SafetyFolder(const RestoreOptions& options) {
    if (!options.safetyFolder.empty()) return options.safetyFolder;
    const std::filesystem::path file = sysfile::PathOf(options.restoredFile);
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    // A safety copy being restored is already in its folder: the new copy
    // goes beside it, not into a safety folder of its own below.
    if (sysfile::Utf8Of(folder.filename()) == "safety") return sysfile::Utf8Of(folder);
    return sysfile::Utf8Of(folder / "safety");
}

bool SafetyFolderUsable(const std::string& folder, std::string* reason) {
    std::error_code ec;
    std::filesystem::create_directories(sysfile::PathOf(folder), ec);
    // A file made and removed again says what the system thinks of the
    // folder, in its own words ("Read-only file system", "Not a directory").
    std::string probe;
    int err = 0;
    std::FILE* file = sysfile::CreateUniqueFile(folder, ".brelko-probe-", &probe, &err);
    if (!file) {
        if (reason) *reason = folder + ": " + sysfile::ErrorMessage(err != 0 ? err : ec.value());
        return false;
    }
    std::fclose(file);
    sysfile::Remove(probe);
    return true;
}

std::vector<std::string> RestoreOutcome::PartialLines() const {
    return {Percent(Percent(LoadString(IDS_RESTORE_RECEIVED), 1, std::to_string(bytesReceivable)), 2,
                    std::to_string(bytesToSend)),
            safetyCopy.empty() ? LoadString(IDS_RESTORE_PARTIAL_NO_COPY)
                               : Percent(LoadString(IDS_RESTORE_PARTIAL), 1, safetyCopy)};
}

std::vector<std::string> RestoreOutcome::Messages() const {
    std::vector<std::string> lines;
    switch (end) {
    case RestoreEnd::Running:
        break;
    case RestoreEnd::NotStarted:
        if (why == RestoreNotStarted::SafetyCopyFailed || why == RestoreNotStarted::SafetyCopyNotSaved)
            lines.push_back(Percent(LoadString(IDS_SAFETY_COPY_FAILED), 1, safetyError));
        break;
    case RestoreEnd::Completed:
        lines.push_back(Percent(LoadString(IDS_RESTORE_COMPLETED), 1, std::to_string(bytesReceivable)));
        if (!safetyCopy.empty()) lines.push_back(Percent(LoadString(IDS_RESTORE_SAFETY_COPY), 1, safetyCopy));
        break;
    case RestoreEnd::Forced:
    case RestoreEnd::Stalled:
    case RestoreEnd::DeviceLost:
        lines.push_back(LoadString(end == RestoreEnd::Forced    ? IDS_RESTORE_FORCED
                                   : end == RestoreEnd::Stalled ? IDS_RESTORE_STALLED
                                                                : IDS_RESTORE_DEVICE_LOST));
        for (std::string& line : PartialLines()) lines.push_back(std::move(line));
        break;
    }
    return lines;
}

RestoreCourse::RestoreCourse(CStatusView& view, std::shared_ptr<CText> text, RestoreOptions options)
    : m_view(view), m_text(std::move(text)), m_options(std::move(options)) {
    if (!m_options.clock) m_options.clock = [] { return std::time(nullptr); };
}

RestoreCourse::~RestoreCourse() {
    if (m_listener) m_view.RemoveCourseListener(m_listener);
}

void RestoreCourse::Enter(RestoreStage stage) {
    m_stage = stage;
    if (m_onStage) m_onStage(stage);
}

void RestoreCourse::Finish(RestoreEnd end, RestoreNotStarted why) {
    m_outcome.end = end;
    m_outcome.why = why;
    if (m_listener) m_view.RemoveCourseListener(m_listener);
    m_listener = 0;
    Enter(RestoreStage::Done);
}

bool RestoreCourse::Start() {
    if (m_stage != RestoreStage::Idle || !m_text) return false;
    m_outcome = RestoreOutcome{};
    m_listener = m_view.AddCourseListener([this](const CourseOutcome& course) { CourseEnded(course); });
    // The copy's folder must take it before the fetch of the current
    // settings, which takes as long as a backup.
    if (m_options.safetyCopy && !SafetyFolderUsable(SafetyFolder(m_options), &m_outcome.safetyError)) {
        Finish(RestoreEnd::NotStarted, RestoreNotStarted::SafetyCopyNotSaved);
        return false;
    }
    if (!m_options.safetyCopy && !m_options.confirm) return StartSending();
    m_copy = CText::Create();
    const CommandStart start = FetchBackup(m_view, *m_copy);
    if (start != CommandStart::Started) {
        Finish(RestoreEnd::NotStarted, WhyNotStarted(start));
        return false;
    }
    Enter(RestoreStage::SafetyCopy);
    return true;
}

bool RestoreCourse::StartSending() {
    const CommandStart start = SendBackup(m_view, *m_text);
    if (start != CommandStart::Started) {
        Finish(RestoreEnd::NotStarted, WhyNotStarted(start));
        return false;
    }
    Enter(RestoreStage::Sending);
    return true;
}

void RestoreCourse::CourseEnded(const CourseOutcome& course) {
    if (m_stage == RestoreStage::SafetyCopy) SafetyCopyEnded(course);
    else if (m_stage == RestoreStage::Sending) SendingEnded(course);
}

void RestoreCourse::SafetyCopyEnded(const CourseOutcome& course) {
    if (course.cancelled) {
        Finish(RestoreEnd::NotStarted, RestoreNotStarted::Cancelled);
        return;
    }
    const std::string copy = m_copy ? m_copy->GetText() : std::string();
    if (course.receiveFailed || copy.empty()) {
        m_outcome.safetyError = LoadString(IDS_SAFETY_COPY_INCOMPLETE);
        Finish(RestoreEnd::NotStarted, RestoreNotStarted::SafetyCopyFailed);
        return;
    }
    if (!m_options.safetyCopy) {
        m_copy.reset();
        Confirm(copy);
        return;
    }
    // Named after the system as it was identified just now.
    const std::string folder = SafetyFolder(m_options);
    std::error_code ec;
    std::filesystem::create_directories(sysfile::PathOf(folder), ec);
    const std::string base = SafetyCopyName(m_view.Product(), m_view.Version(), m_options.clock());
    std::string path = sysfile::Utf8Of(sysfile::PathOf(folder) / base);
    // Two restores within a second keep both copies.
    for (int n = 2; InspectWriteTarget(path).exists && n < 100; ++n)
        path = sysfile::Utf8Of(sysfile::PathOf(folder) /
                               (base.substr(0, base.size() - 4) + "-" + std::to_string(n) + ".asc"));
    std::string reason;
    if (!WriteFileAtomically(path, copy.data(), copy.size(), &reason)) {
        m_outcome.safetyError = path + ": " + reason;
        Finish(RestoreEnd::NotStarted, RestoreNotStarted::SafetyCopyNotSaved);
        return;
    }
    m_outcome.safetyCopy = path;
    m_copy.reset();
    if (m_options.confirm) {
        Confirm(copy);
        return;
    }
    // A listener may start the next course: the view has shown this one's end.
    StartSending();
}

void RestoreCourse::Confirm(const std::string& current) {
    Enter(RestoreStage::Confirming);
    std::weak_ptr<bool> alive = m_alive;
    m_options.confirm(current, [this, alive](bool send) {
        if (alive.expired() || m_stage != RestoreStage::Confirming) return;
        if (!send) {
            Finish(RestoreEnd::NotStarted, RestoreNotStarted::Cancelled);
            return;
        }
        // The system may have gone while the user looked.
        StartSending();
    });
}

RestoreOutcome RestoreCourse::StoppedHalfwayNow() const {
    RestoreOutcome now = m_outcome;
    now.end = RestoreEnd::Forced;
    const BlockWatch& block = *m_view.Block();
    now.bytesToSend = block.Total();
    now.bytesReceivable = block.HandedOver() ? block.CarriedAtStop() : block.SentBytes();
    return now;
}

void RestoreCourse::SendingEnded(const CourseOutcome& course) {
    m_outcome.bytesToSend = course.bytesToSend;
    m_outcome.bytesReceivable = course.bytesSent;
    m_outcome.ready = course.ready;
    if (!course.sendFailed) {
        Finish(RestoreEnd::Completed);
        return;
    }
    if (course.forced) {
        Finish(RestoreEnd::Forced);
        return;
    }
    if (course.failure == TransferFailure::Cancelled && course.bytesSent == 0) {
        // Stopped before the first byte of the file: the system has its old settings.
        Finish(RestoreEnd::NotStarted, RestoreNotStarted::Cancelled);
        return;
    }
    Finish(course.failure == TransferFailure::DeviceGone ? RestoreEnd::DeviceLost : RestoreEnd::Stalled);
}

}  // namespace brelko
