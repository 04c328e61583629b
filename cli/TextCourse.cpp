#include "TextCourse.h"

#include <cctype>

#include "ByteArchive.h"
#include "CText.h"
#include "CliText.h"
#include "Strings.h"

namespace brelko::cli {

bool HasSuffix(const std::string& path, const char* suffix) {
    const std::string s = suffix;
    if (path.size() < s.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - s.size() + i])) != s[i]) return false;
    return true;
}

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

ExitStatus ReceiveTextCourse(Console& console, DeviceConnection& connection, const TextFetch& fetch, CText& text,
                             bool acceptDamaged, bool* damaged) {
    *damaged = false;
    if (const ExitStatus opened = connection.Open(); opened != ExitStatus::Ok) {
        if (opened != ExitStatus::Cancelled) connection.ReportNotReady();
        return opened;
    }
    if (const ExitStatus ran = connection.Run([&](CStatusView& view) { return fetch(view, text); });
        ran != ExitStatus::Ok)
        return ran;

    const CourseOutcome& outcome = connection.View().LastOutcome();
    if (!outcome.receiveFailed) return ExitStatus::Ok;
    // Line errors, or a system that fell silent: what came is all it sent.
    // A device that vanished cut the text short, and a failure nobody named
    // may have done so too.
    const bool whole = outcome.failure == TransferFailure::LineErrors || outcome.failure == TransferFailure::Silence;
    if (acceptDamaged && whole) {
        *damaged = true;
        return ExitStatus::ReceiveError;
    }
    std::string line = LoadString(IDS_RECEIVE_ERROR);
    if (!outcome.ready) line += " " + connection.View().ConnectionStateText();
    console.Error(line);
    return ExitStatus::ReceiveError;
}

}  // namespace brelko::cli
