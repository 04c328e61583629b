#include "cli/TextCourse.h"

#include <cctype>

#include "platform/ByteArchive.h"
#include "data/CText.h"
#include "cli/CliText.h"

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

ExitStatus RunTextReception(DeviceConnection& connection, const TextFetch& fetch, CText& text) {
    if (const ExitStatus opened = connection.Open(); opened != ExitStatus::Ok) {
        if (opened != ExitStatus::Cancelled) connection.ReportNotReady();
        return opened;
    }
    return connection.Run([&](CStatusView& view) { return fetch(view, text); });
}

}  // namespace brelko::cli
