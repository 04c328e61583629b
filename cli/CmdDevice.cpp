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

#include "AtomicFile.h"
#include "ByteArchive.h"
#include "CDeviceLine.h"
#include "CMTX.h"
#include "CStatusView.h"
#include "CText.h"
#include "CliText.h"
#include "Commands.h"
#include "DeviceCommands.h"
#include "DeviceConnection.h"
#include "PictureFiles.h"
#include "PictureReceiver.h"
#include "SignalWatcher.h"
#include "Strings.h"

namespace brelko::cli {

namespace {

std::string Padded(const std::string& label, std::size_t width) {
    // Labels are ASCII in both languages, so bytes count as columns.
    return label + std::string(width > label.size() ? width - label.size() : 0, ' ');
}

bool HasSuffix(const std::string& path, const char* suffix) {
    const std::string s = suffix;
    if (path.size() < s.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - s.size() + i])) != s[i]) return false;
    return true;
}

// Loads a text file as the document does: its bytes up to the first zero byte.
std::shared_ptr<CText> LoadText(Console& console, const std::string& path) {
    std::string error;
    auto archive = ByteArchive::OpenFile(path, ByteArchive::Mode::Load, &error);
    if (!archive) {
        console.Error(Format(CliText(Text::CannotRead), {path, error}));
        return nullptr;
    }
    auto text = CText::Create();
    text->Serialize(*archive);
    if (!archive->Ok()) {
        console.Error(Format(CliText(Text::CannotRead), {path, archive->ErrorText()}));
        return nullptr;
    }
    if (text->GetLength() == 0) {
        // Sending nothing would still make the system restart or store an
        // empty language: refuse.
        console.Error(Format(CliText(Text::CannotRead), {path, CliText(Text::EmptyFile)}));
        return nullptr;
    }
    return text;
}

// A text reception into `file`: backups, menus and languages.
template <typename Fetch>
ExitStatus ReceiveText(const GlobalOptions& options, Console& console, const std::string& file, bool isBackup,
                       Fetch fetch) {
    // The target's folder must take the file before anything moves on the line.
    AtomicFile output;
    std::string error;
    if (!output.Open(file, &error)) {
        console.Error(Format(CliText(Text::CannotWrite), {file, error}));
        return ExitStatus::WriteError;
    }
    DeviceConnection connection(options, console);
    if (const ExitStatus opened = connection.Open(); opened != ExitStatus::Ok) {
        if (opened != ExitStatus::Cancelled) connection.ReportNotReady();
        return opened;
    }
    auto text = CText::Create();
    if (const ExitStatus ran = connection.Run([&](CStatusView& view) { return fetch(view, *text); });
        ran != ExitStatus::Ok)
        return ran;

    const CourseOutcome& outcome = connection.View().LastOutcome();
    // A failed reception of menus or languages is not saved. A backup with
    // line errors is saved all the same, with a warning, as the windowed
    // program does, and so is one after which the system fell silent: what
    // came is all the system sent. But a device that vanished cut the backup
    // short, and a cut backup (or one that failed for a reason nobody named)
    // must not stand under the target's name.
    const bool keepable =
        outcome.failure == TransferFailure::LineErrors || outcome.failure == TransferFailure::Silence;
    if (outcome.receiveFailed && (!isBackup || !keepable)) {
        std::string text = LoadString(IDS_RECEIVE_ERROR);
        if (!outcome.ready) text += " " + connection.View().ConnectionStateText();
        console.Error(text);
        return ExitStatus::ReceiveError;
    }
    auto archive = ByteArchive::ToMemory(file);
    text->Serialize(*archive);
    const auto& bytes = archive->Bytes();
    if (!output.Write(bytes.data(), bytes.size(), &error) || !output.Commit(&error)) {
        console.Error(Format(CliText(Text::CannotWrite), {file, error}));
        return ExitStatus::WriteError;
    }
    if (outcome.receiveFailed) {
        const Text warning = outcome.failure == TransferFailure::Silence ? Text::KeptAfterSilence : Text::KeptWithErrors;
        console.Error(LoadString(IDS_RECEIVE_ERROR) + " " + Format(CliText(warning), {file}));
        connection.WarnIfNotReady();
        return ExitStatus::ReceiveError;
    }
    console.Info(Format(CliText(Text::Saved), {file, std::to_string(bytes.size())}));
    connection.WarnIfNotReady();
    return ExitStatus::Ok;
}

template <typename Send>
ExitStatus SendText(const GlobalOptions& options, Console& console, const std::string& file, const char* suffix,
                    Text doneText, Send send) {
    if (!HasSuffix(file, suffix)) {
        console.Error(Format(CliText(Text::WrongFileKind), {file, suffix}));
        return ExitStatus::BadFile;
    }
    auto text = LoadText(console, file);
    if (!text) return ExitStatus::BadFile;
    DeviceConnection connection(options, console);
    if (const ExitStatus opened = connection.Open(); opened != ExitStatus::Ok) {
        if (opened != ExitStatus::Cancelled) connection.ReportNotReady();
        return opened;
    }
    if (const ExitStatus ran = connection.Run([&](CStatusView& view) { return send(view, *text); });
        ran != ExitStatus::Ok)
        return ran;
    const CourseOutcome& outcome = connection.View().LastOutcome();
    if (outcome.sendFailed) {
        console.Error(LoadString(IDS_SEND_ERROR));
        return ExitStatus::SendError;
    }
    // A system that does not answer after the sending cannot be trusted to
    // have taken it (a line that went dead midway looks like this).
    if (!outcome.ready) {
        console.Error(LoadString(IDS_SEND_ERROR) + " " + connection.View().ConnectionStateText());
        return ExitStatus::SendError;
    }
    console.Info(Format(CliText(doneText), {std::to_string(text->GetLength())}));
    return ExitStatus::Ok;
}

}  // namespace

ExitStatus RunIdentify(const GlobalOptions& options, Console& console) {
    DeviceConnection connection(options, console);
    const ExitStatus status = connection.Open();
    if (status == ExitStatus::Cancelled) return status;
    if (status == ExitStatus::Usage || status == ExitStatus::Failure) return status;
    CStatusView& view = connection.View();
    const std::size_t width = 17;
    console.Result(Padded(CliText(Text::LabelPort), width) + connection.Session().PortLabel());
    if (status == ExitStatus::Ok) {
        console.Result(Padded(CliText(Text::LabelProduct), width) + view.m_strProduct);
        console.Result(Padded(CliText(Text::LabelVersion), width) + view.m_strVersion);
        console.Result(Padded(CliText(Text::LabelVersionNumber), width) + std::to_string(view.m_nVersion));
    }
    console.Result(Padded(CliText(Text::LabelState), width) + view.ConnectionStateText());
    if (status != ExitStatus::Ok) connection.ReportNotReady();
    return status;
}

ExitStatus RunBackup(const GlobalOptions& options, Console& console, const std::string& file, bool serviceData) {
    return ReceiveText(options, console, file, true, [&](CStatusView& view, CText& text) {
        view.m_bServiceData = serviceData ? 1 : 0;
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

ExitStatus RunRestore(const GlobalOptions& options, Console& console, const std::string& file) {
    return SendText(options, console, file, ".asc", Text::Sent,
                    [](CStatusView& view, CText& text) { return SendBackup(view, text); });
}

ExitStatus RunSendLanguage(const GlobalOptions& options, Console& console, const std::string& file) {
    return SendText(options, console, file, ".txt", Text::LanguageSent,
                    [](CStatusView& view, CText& text) { return SendLanguage(view, text); });
}

ExitStatus RunGetPicture(const GlobalOptions& options, Console& console, const std::string& file) {
    if (std::string why; !PictureNameUsable(file, &why)) {
        console.Error(why);
        return ExitStatus::Usage;
    }
    {
        // The target's folder must take the file before anything moves on the line.
        AtomicFile probe;
        std::string error;
        if (!probe.Open(file, &error)) {
            console.Error(Format(CliText(Text::CannotWrite), {file, error}));
            return ExitStatus::WriteError;
        }
    }
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
