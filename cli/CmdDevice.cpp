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
#include "TextCourse.h"

namespace brelko::cli {

namespace {

std::string Padded(const std::string& label, std::size_t width) {
    // Labels are ASCII in both languages, so bytes count as columns.
    return label + std::string(width > label.size() ? width - label.size() : 0, ' ');
}

// A text reception into `file`: backups, menus and languages.
ExitStatus ReceiveText(const GlobalOptions& options, Console& console, const std::string& file, bool isBackup,
                       const TextFetch& fetch) {
    // The target's folder must take the file before anything moves on the line.
    AtomicFile output;
    std::string error;
    if (!output.Open(file, &error)) {
        console.Error(Format(CliText(Text::CannotWrite), {file, error}));
        return ExitStatus::WriteError;
    }
    DeviceConnection connection(options, console);
    auto text = CText::Create();
    // A failed reception of menus or languages is not saved. A backup with
    // line errors is saved all the same, with a warning, as the windowed
    // program does, and so is one after which the system fell silent: what
    // came is all the system sent. A cut backup must not stand under the
    // target's name.
    bool damaged = false;
    if (const ExitStatus received = ReceiveTextCourse(console, connection, fetch, *text, isBackup, &damaged);
        received != ExitStatus::Ok && !damaged)
        return received;

    auto archive = ByteArchive::ToMemory(file);
    text->Serialize(*archive);
    const auto& bytes = archive->Bytes();
    if (!output.Write(bytes.data(), bytes.size(), &error) || !output.Commit(&error)) {
        console.Error(Format(CliText(Text::CannotWrite), {file, error}));
        return ExitStatus::WriteError;
    }
    if (damaged) {
        const TransferFailure failure = connection.View().LastOutcome().failure;
        const Text warning = failure == TransferFailure::Silence ? Text::KeptAfterSilence : Text::KeptWithErrors;
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
    if (status == ExitStatus::Usage || status == ExitStatus::Failure || status == ExitStatus::WriteError)
        return status;
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
