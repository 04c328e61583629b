// brelko-cli: every device command of Brelko without a display, for scheduled
// backups and quick checks over SSH. The commands run through the same core
// as the windowed program and read the same settings file.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/ConsoleSystem.h"
#include "cli/ExitStatus.h"
#include "cli/Options.h"
#include "platform/Profile.h"
#include "png/RgbImage.h"
#if BRELKO_CLI_SIMULATOR
#include "sim/SimOptions.h"
#endif
#include "platform/Strings.h"

using namespace brelko;
using namespace brelko::cli;

namespace {

// The settings file and the language are needed before the command line is
// parsed in full: --help and the parser's errors are in the user's language.
void SetUpEnvironment(const std::vector<std::string>& args) {
    const auto ini = PeekOption(args, "--ini");
    if (ini) Profile::SetPath(*ini);
    else Profile::UseProgramSettings(Profile::ExecutablePath());
    const auto lang = PeekOption(args, "--lang");
    if (lang && (*lang == "da" || *lang == "en"))
        SetBuiltinLanguage(*lang == "da" ? Language::Danish : Language::English);
    else
        SetBuiltinLanguage(LanguageFromLocale());
    // The system's own error texts ("No such file or directory") too.
    UseSystemMessagesIn(BuiltinLanguage() == Language::Danish);
}

}  // namespace

int main(int argc, char** argv) {
    PrepareConsole();
    int refused = -1;
    const std::vector<std::string> given = ProgramArguments(argc, argv, &refused);
    std::vector<const char*> givenPointers;
    for (const std::string& arg : given) givenPointers.push_back(arg.c_str());
#if BRELKO_CLI_SIMULATOR
    const std::vector<std::string> args = NormaliseArguments(static_cast<int>(givenPointers.size()), givenPointers.data());
#else
    const std::vector<std::string>& args = given;
#endif
    SetUpEnvironment(args);
    if (refused >= 0) {
        // Never a name with U+FFFD in it: that could be another file.
        std::fprintf(stderr, "brelko-cli: %s\n",
                     FormatArgs(LoadString(IDS_ARGUMENT_NOT_TEXT), {std::to_string(refused)}).c_str());
        return ToInt(ExitStatus::Usage);
    }

    CommandLine line;
    if (const std::optional<int> ended = ParseCommandLine(args, line)) return *ended;
    const GlobalOptions& options = line.options;

    Console console(stdout, stderr, options.quiet);
    ExitStatus status = ExitStatus::Failure;
    const std::string& command = line.command;
    if (command == "identify") status = RunIdentify(options, console);
    else if (command == "backup") status = RunBackup(options, console, line.file, line.serviceData);
    else if (command == "restore") status = RunRestore(options, console, line.file, line.send);
    else if (command == "get-menu") status = RunGetMenu(options, console, line.file);
    else if (command == "get-language") status = RunGetLanguage(options, console, line.file);
    else if (command == "send-language") status = RunSendLanguage(options, console, line.file, line.send);
    else if (command == "get-picture") status = RunGetPicture(options, console, line.file);
    else if (command == "convert") status = RunConvert(console, line.in, line.out);
    else if (command == "arc list") status = RunArcList(console, line.archive);
    else if (command == "arc extract") status = RunArcExtract(console, line.archive, line.destination);
    else if (command == "port-status") status = RunPortStatus(options, console);
    else if (command == "ports") status = RunPorts(options, console);
    else if (command == "diff" && line.diffSystem) status = RunDiffSystem(options, console, line.diffFiles[0], line.serviceData);
    else if (command == "diff") status = RunDiff(console, line.diffFiles[0], line.diffFiles[1]);
    return ToInt(status);
}
