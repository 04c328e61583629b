// The device commands: each connects and identifies the system through the
// status logic, starts its transfer through the shared device commands, waits
// for the course to end (transfer, buffer clearing, identification) and
// reports the outcome. No request is built here.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <memory>
#include <string>

#include "platform/AtomicFile.h"
#include "exchange/BackupTarget.h"
#include "platform/ByteArchive.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "data/CMTX.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "exchange/DeviceCommands.h"
#include "cli/DeviceConnection.h"
#include "cli/LastWords.h"
#include "data/PictureFiles.h"
#include "exchange/ProgressText.h"
#include "exchange/RestoreCourse.h"
#include "exchange/SendFileCheck.h"
#include "exchange/PictureReceiver.h"
#include "cli/SignalWatcher.h"
#include "platform/Strings.h"
#include "cli/TextCourse.h"

namespace brelko::cli {

namespace {

std::string Padded(const std::string& label, std::size_t width) {
    // Labels are ASCII in both languages, so bytes count as columns.
    return label + std::string(width > label.size() ? width - label.size() : 0, ' ');
}

// The target must take a file before anything moves on the line: a FIFO, a
// device or a folder is refused here, and so is a folder without room.
bool TargetWritable(Console& console, const std::string& file) {
    AtomicFile probe;
    std::string error;
    if (probe.Open(file, &error)) return true;
    console.Error(Format(CliText(Text::CannotWrite), {file, error}));
    return false;
}

// A text reception into `file`: backups, menus and languages.
ExitStatus ReceiveText(const GlobalOptions& options, Console& console, const std::string& file, bool isBackup,
                       const TextFetch& fetch) {
    if (!TargetWritable(console, file)) return ExitStatus::WriteError;
    DeviceConnection connection(options, console);
    auto text = CText::Create();
    if (const ExitStatus ran = RunTextReception(connection, fetch, *text); ran != ExitStatus::Ok) return ran;

    const CourseOutcome& outcome = connection.View().LastOutcome();
    const std::string bytes = text->GetText();
    const std::string receiveError = LoadString(IDS_RECEIVE_ERROR);
    if (isBackup) {
        // The rule the windowed program follows too: a good file is never
        // replaced by a worse one.
        const BackupSave save = SaveBackup(file, outcome, bytes);
        if (save.placement != BackupPlacement::NotKept && !save.written) {
            console.Error(Format(CliText(Text::CannotWrite), {save.path.empty() ? file : save.path, save.message}));
            return ExitStatus::WriteError;
        }
        if (save.placement == BackupPlacement::Replaced) {
            console.Info(Format(CliText(Text::Saved), {save.path, std::to_string(bytes.size())}));
            connection.WarnIfNotReady();
            return ExitStatus::Ok;
        }
        std::string line = receiveError + " " + save.message;
        if (save.placement == BackupPlacement::NotKept && !outcome.ready)
            line += " " + SentenceCase(connection.View().WhatHappenedText());
        console.Error(line);
        if (save.placement != BackupPlacement::NotKept) connection.WarnIfNotReady();
        return ExitStatus::ReceiveError;
    }
    // A failed reception of menus or languages is not saved.
    if (outcome.receiveFailed) {
        std::string line = receiveError;
        if (!outcome.ready) line += " " + SentenceCase(connection.View().WhatHappenedText());
        console.Error(line);
        return ExitStatus::ReceiveError;
    }
    std::string error;
    if (!WriteFileAtomically(file, bytes.data(), bytes.size(), &error)) {
        console.Error(Format(CliText(Text::CannotWrite), {file, error}));
        return ExitStatus::WriteError;
    }
    console.Info(Format(CliText(Text::Saved), {file, std::to_string(bytes.size())}));
    connection.WarnIfNotReady();
    return ExitStatus::Ok;
}

// The file must be fit to go to the system (or the user insists); says what
// the sending takes.
bool FitToSend(Console& console, const std::string& file, SendFileKind kind, const CText& text, bool force) {
    const SendFileCheck check = CheckSendFile(kind, text.GetText());
    if (!check.Ok()) {
        if (!force || !check.Overridable()) {
            console.Error(Format(CliText(check.Overridable() ? Text::NotSentForce : Text::CannotRead),
                                 {file, check.Reason()}));
            return false;
        }
        console.Error(Format(CliText(Text::WarningLine), {file + ": " + check.Reason()}));
    }
    console.Info(check.SizeAndTime());
    return true;
}

// Send language: every line of the file a request of its own.
ExitStatus SendLanguageFile(const GlobalOptions& options, Console& console, const std::string& file,
                            const SendOptions& sendOptions) {
    const char* suffix = ".txt";
    if (!HasSuffix(file, suffix)) {
        console.Error(Format(CliText(Text::WrongFileKind), {file, suffix}));
        return ExitStatus::BadFile;
    }
    auto text = LoadText(console, file);
    if (!text) return ExitStatus::BadFile;
    if (!FitToSend(console, file, SendFileKind::Language, *text, sendOptions.force)) return ExitStatus::BadFile;
    DeviceConnection connection(options, console);
    if (const ExitStatus opened = connection.Open(); opened != ExitStatus::Ok) {
        if (opened != ExitStatus::Cancelled) connection.ReportNotReady();
        return opened;
    }
    if (const ExitStatus ran = connection.Run([&](CStatusView& view) { return SendLanguage(view, *text); });
        ran != ExitStatus::Ok)
        return ran;
    const CourseOutcome& outcome = connection.View().LastOutcome();
    const LanguageOutcome& language = outcome.language;
    if (outcome.sendFailed) {
        // A language the system took nothing of says which lines it refused.
        console.Error(LoadString(IDS_SEND_ERROR) + (language.done ? " " + LanguageSummary(language) : ""));
        return ExitStatus::SendError;
    }
    // A system that does not answer after the sending cannot be trusted to
    // have taken it (a line that went dead midway looks like this).
    if (!outcome.ready) {
        console.Error(LoadString(IDS_SEND_ERROR) + " " + SentenceCase(connection.View().WhatHappenedText()));
        return ExitStatus::SendError;
    }
    if (language.done && language.refused + language.notEchoed > 0)
        console.Error(Format(CliText(Text::WarningLine), {LanguageSummary(language)}));
    console.Info(Format(CliText(Text::LanguageSent), {std::to_string(text->GetLength()), std::to_string(language.lines)}));
    return ExitStatus::Ok;
}

}  // namespace

ExitStatus RunIdentify(const GlobalOptions& options, Console& console) {
    DeviceConnection connection(options, console);
    const ExitStatus status = connection.Open();
    if (status == ExitStatus::Cancelled) return status;
    if (status == ExitStatus::Usage || status == ExitStatus::Failure) return status;
    if (!connection.HasView()) return status;  // reported: nothing was opened
    CStatusView& view = connection.View();
    const std::size_t width = 17;
    console.Result(Padded(CliText(Text::LabelPort), width) + connection.Session().PortLabel());
    if (status == ExitStatus::Ok) {
        console.Result(Padded(CliText(Text::LabelProduct), width) + view.Product());
        console.Result(Padded(CliText(Text::LabelVersion), width) + view.Version());
        console.Result(Padded(CliText(Text::LabelVersionNumber), width) + std::to_string(view.VersionNumber()));
    }
    // A reply that came but does not identify the system, its unprintable
    // bytes as <XX>: never raw bytes on the terminal.
    if (status == ExitStatus::UnknownSystem && !view.VersionReply().empty())
        console.Result(Padded(CliText(Text::LabelReply), width) + view.VersionReply());
    console.Result(Padded(CliText(Text::LabelState), width) + view.ConnectionStateText());
    if (status != ExitStatus::Ok) connection.ReportNotReady();
    return status;
}

ExitStatus RunBackup(const GlobalOptions& options, Console& console, const std::string& file, bool serviceData) {
    return ReceiveText(options, console, file, true, [&](CStatusView& view, CText& text) {
        view.SetServiceData(serviceData ? 1 : 0);
        return FetchBackup(view, text);
    });
}

ExitStatus RunGetMenu(const GlobalOptions& options, Console& console, const std::string& file) {
    return ReceiveText(options, console, file, false,
                       [](CStatusView& view, CText& text) { return FetchMenus(view, text); });
}

ExitStatus RunGetLanguage(const GlobalOptions& options, Console& console, const std::string& file) {
    return ReceiveText(options, console, file, false,
                       [](CStatusView& view, CText& text) { return FetchLanguage(view, text); });
}

ExitStatus RunRestore(const GlobalOptions& options, Console& console, const std::string& file,
                      const SendOptions& send) {
    if (!HasSuffix(file, ".asc")) {
        console.Error(Format(CliText(Text::WrongFileKind), {file, ".asc"}));
        return ExitStatus::BadFile;
    }
    auto text = LoadText(console, file);
    if (!text) return ExitStatus::BadFile;
    if (!FitToSend(console, file, SendFileKind::Backup, *text, send.force)) return ExitStatus::BadFile;
    DeviceConnection connection(options, console);
    if (const ExitStatus opened = connection.Open(); opened != ExitStatus::Ok) {
        if (opened != ExitStatus::Cancelled) connection.ReportNotReady();
        return opened;
    }

    RestoreOptions restore;
    restore.safetyCopy = !send.noSafetyCopy;
    restore.restoredFile = file;
    restore.safetyFolder = send.safetyDir;
    RestoreCourse course(connection.View(), text, restore);
    course.OnStage([&](RestoreStage stage) {
        if (stage == RestoreStage::SafetyCopy) {
            console.Info(LoadString(IDS_SAFETY_COPY_FETCHING));
        } else if (stage == RestoreStage::Sending) {
            if (!course.Outcome().safetyCopy.empty())
                console.Info(Format(LoadString(IDS_SAFETY_COPY_SAVED), {course.Outcome().safetyCopy}));
            connection.Window().ShowStates();
        }
    });
    // Once bytes of the file are on the line, whatever ends the program says
    // that the system may hold part of the new settings and how to bring the
    // old ones back: the Ctrl+C that quits at once writes these lines.
    connection.Window().OnEvent([&](const StatusMessage&) {
        const CourseOutcome& sending = connection.View().LastOutcome();
        const bool onTheLine = course.Stage() == RestoreStage::Sending && connection.View().Block()->SentBytes() > 0;
        const bool whole = sending.bytesToSend > 0 && sending.bytesSent == sending.bytesToSend && !sending.sendFailed;
        if (!onTheLine || whole) {
            ClearLastWords();
            return;
        }
        RestoreOutcome partial = course.Outcome();
        partial.bytesToSend = sending.bytesToSend;
        partial.bytesReceivable = sending.bytesSent;
        std::string text;
        for (const std::string& line : partial.PartialLines()) text += line + "\n";
        SetLastWords(text);
    });
    struct Forget {
        DeviceConnection& connection;
        ~Forget() {
            connection.Window().OnEvent(nullptr);
            ClearLastWords();
        }
    } forget{connection};
    // Progress of the safety copy, like a backup's.
    connection.Window().ShowStates();
    course.Start();
    // A block on the line is never given up here: Ctrl+C follows the
    // cancel rule, and the Ctrl+C after an honoured one ends the program.
    connection.WaitUntil([&] { return course.Finished() && !connection.View().IsExchangeRunning(); },
                         [&] { return course.Stage() != RestoreStage::Sending; });
    connection.Window().OnEvent(nullptr);
    ClearLastWords();  // said below, as the outcome has it
    const RestoreOutcome& outcome = course.Outcome();
    std::vector<std::string> messages = outcome.Messages();
    // The forced stop was told when it happened.
    if (outcome.end == RestoreEnd::Forced && !messages.empty()) messages.erase(messages.begin());

    switch (outcome.end) {
    case RestoreEnd::Running:
        // Given up after a cancel before the file went out.
        return connection.Cancelled();
    case RestoreEnd::NotStarted:
        switch (outcome.why) {
        case RestoreNotStarted::NotReady:
            connection.ReportNotReady();
            return ExitStatusForState(StateOf(connection.View().Line()));
        case RestoreNotStarted::Busy:
        case RestoreNotStarted::None:
            console.Error(CliText(Text::NotReady));
            return ExitStatus::Failure;
        case RestoreNotStarted::Cancelled:
            return connection.Cancelled();
        case RestoreNotStarted::SafetyCopyFailed:
        case RestoreNotStarted::SafetyCopyNotSaved:
            for (const std::string& line : messages) console.Error(line);
            return outcome.why == RestoreNotStarted::SafetyCopyFailed ? ExitStatus::ReceiveError
                                                                      : ExitStatus::WriteError;
        }
        return ExitStatus::Failure;
    case RestoreEnd::Completed:
        // What the system can have received: the block ends at its first "[END]".
        console.Info(Format(CliText(Text::Sent), {std::to_string(outcome.bytesReceivable)}));
        if (!outcome.safetyCopy.empty()) console.Info(messages.back());
        // A system that does not answer after the sending cannot be trusted
        // to have taken it (a line that went dead midway looks like this).
        if (!outcome.ready) {
            console.Error(LoadString(IDS_SEND_ERROR) + " " + SentenceCase(connection.View().WhatHappenedText()));
            return ExitStatus::SendError;
        }
        return ExitStatus::Ok;
    case RestoreEnd::Forced:
    case RestoreEnd::Stalled:
    case RestoreEnd::DeviceLost:
        if (outcome.end != RestoreEnd::Forced) console.Error(LoadString(IDS_SEND_ERROR));
        for (const std::string& line : messages) console.Error(line);
        return outcome.end == RestoreEnd::Forced ? ExitStatus::Cancelled : ExitStatus::SendError;
    }
    return ExitStatus::Failure;
}

ExitStatus RunSendLanguage(const GlobalOptions& options, Console& console, const std::string& file,
                           const SendOptions& send) {
    return SendLanguageFile(options, console, file, send);
}

ExitStatus RunGetPicture(const GlobalOptions& options, Console& console, const std::string& file) {
    if (std::string why; !PictureNameUsable(file, &why)) {
        console.Error(why);
        return ExitStatus::Usage;
    }
    if (!TargetWritable(console, file)) return ExitStatus::WriteError;
    std::atomic<bool> checksumError{false};
    SetChecksumErrorHook([&](const std::string&) { checksumError = true; });
    struct HookReset {
        ~HookReset() { SetChecksumErrorHook(nullptr); }
    } hookReset;

    DeviceConnection connection(options, console);
    if (const ExitStatus opened = connection.Open(); opened != ExitStatus::Ok) {
        if (opened != ExitStatus::Cancelled) connection.ReportNotReady();
        return opened;
    }
    auto mtx = std::make_shared<CMTX>();
    // --timeout bounds the wait for the picture's header line too.
    if (options.timeout) mtx->SetHeaderLineTimeout(SecondsToMs(*options.timeout));
    if (const ExitStatus ran = connection.Run([&](CStatusView& view) { return FetchPicture(view, *mtx); });
        ran != ExitStatus::Ok)
        return ran;
    if (connection.View().LastOutcome().pictureFailed || !mtx->m_bValid) {
        console.Error(LoadString(IDS_PICTURE_ERROR));
        return ExitStatus::ReceiveError;
    }
    Picture picture;
    picture.mtx = mtx;
    std::string error;
    if (!SavePicture(picture, file, &error)) {
        console.Error(Format(CliText(Text::CannotWrite), {file, error}));
        return ExitStatus::WriteError;
    }
    if (checksumError) {
        console.Error(Format(CliText(Text::ChecksumSaved), {file}));
        return ExitStatus::ChecksumError;
    }
    console.Info(Format(CliText(Text::SavedPicture), {file, mtx->GetDescription()}));
    connection.WarnIfNotReady();
    return ExitStatus::Ok;
}

}  // namespace brelko::cli
