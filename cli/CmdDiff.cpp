// diff: what differs between two backups, or between a backup file and the
// vision system's current settings, that is what a restore of the file
// would change. The system's settings are fetched by a backup into memory;
// no file is written.
#include <string>
#include <vector>

#include "platform/FileUtil.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/DeviceConnection.h"
#include "compare/RestoreDiff.h"
#include "platform/Strings.h"
#include "cli/TextCourse.h"
#include "compare/TextDiff.h"

namespace brelko::cli {

namespace {

bool ReadBytes(Console& console, const std::string& path, std::string* bytes) {
    std::vector<std::uint8_t> data;
    std::string error;
    if (!fileutil::ReadWholeFile(path, &data, &error)) {
        console.Error(Format(CliText(Text::CannotRead), {path, error}));
        return false;
    }
    bytes->assign(data.begin(), data.end());
    return true;
}

// As diff does: 0 equal, 1 different; the difference on standard output.
ExitStatus Report(Console& console, const TextDiff& diff, const std::string& oldLabel, const std::string& newLabel,
                  const std::string& equalText) {
    if (diff.Equal()) {
        console.Info(equalText);
        return ExitStatus::Ok;
    }
    console.Result(diff.Unified(oldLabel, newLabel));
    return ExitStatus::Different;
}

}  // namespace

ExitStatus RunDiff(Console& console, const std::string& oldFile, const std::string& newFile) {
    std::string oldBytes, newBytes;
    if (!ReadBytes(console, oldFile, &oldBytes) || !ReadBytes(console, newFile, &newBytes)) return ExitStatus::BadFile;
    return Report(console, TextDiff(oldBytes, newBytes), oldFile, newFile,
                  Format(CliText(Text::NoDifferences), {oldFile, newFile}));
}

ExitStatus RunDiffSystem(const GlobalOptions& options, Console& console, const std::string& file, bool serviceData) {
    // The file as a restore would send it, refused where a restore refuses it.
    if (!HasSuffix(file, ".asc")) {
        console.Error(Format(CliText(Text::WrongFileKind), {file, ".asc"}));
        return ExitStatus::BadFile;
    }
    const auto restored = LoadText(console, file);
    if (!restored) return ExitStatus::BadFile;

    DeviceConnection connection(options, console);
    auto current = CText::Create();
    const ExitStatus ran = RunTextReception(connection,
                                            [&](CStatusView& view, CText& text) {
                                                view.SetServiceData(serviceData ? 1 : 0);
                                                return FetchBackup(view, text);
                                            },
                                            *current);
    // 1 means "different" here: other trouble is 2.
    if (ran != ExitStatus::Ok) return ran == ExitStatus::Failure ? ExitStatus::Usage : ran;
    // A damaged backup of the system (line errors, silence, a cut) would
    // show changes that are not there.
    if (const CourseOutcome& outcome = connection.View().LastOutcome(); outcome.receiveFailed) {
        std::string line = LoadString(IDS_RECEIVE_ERROR);
        if (!outcome.ready) line += " " + SentenceCase(connection.View().WhatHappenedText());
        console.Error(line);
        return ExitStatus::ReceiveError;
    }

    const CStatusView& view = connection.View();
    const std::string systemLabel = Format(CliText(Text::SystemLabel), {view.Product() + " " + view.Version(),
                                                                         connection.Session().PortLabel()});
    return Report(console, CompareForRestore(current->GetText(), restored->GetText()), systemLabel, file,
                  Format(CliText(Text::RestoreChangesNothing), {file}));
}

}  // namespace brelko::cli
