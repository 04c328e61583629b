// brelko-cli: every device command of Brelko without a display, for scheduled
// backups and quick checks over SSH. The commands run through the same core
// as the windowed program and read the same settings file.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "BrelkoVersion.h"
#include "CliText.h"
#include "ConsoleSystem.h"
#include "Commands.h"
#include "Console.h"
#include "ExitStatus.h"
#include "Options.h"
#include "Profile.h"
#include "RgbImage.h"
#include "Strings.h"

using namespace brelko;
using namespace brelko::cli;

namespace {

// The settings file and the language are needed before the command line is
// parsed in full: --help shows the exit statuses in the user's language.
void SetUpEnvironment(const std::vector<std::string>& args) {
    const auto ini = PeekOption(args, "--ini");
    if (ini) Profile::SetPath(*ini);
    else Profile::UseProgramSettings(Profile::ExecutablePath());
    const auto lang = PeekOption(args, "--lang");
    if (lang && (*lang == "da" || *lang == "en"))
        SetBuiltinLanguage(*lang == "da" ? Language::Danish : Language::English);
    else
        SetBuiltinLanguage(LanguageFromLocale());
}

// Which settings file is read, for --help and --version.
std::string SettingsFilesText() {
    const std::vector<std::string> files = Profile::FilesRead();
    if (files.size() > 1) return FormatArgs(LoadString(IDS_SETTINGS_FILES), {files[0], files[1]});
    return FormatArgs(LoadString(IDS_SETTINGS_FILE), {files.empty() ? std::string() : files[0]});
}

// Help and version text through the console's own path (Danish letters).
int ExitWithText(const CLI::App& app, const CLI::Error& e) {
    std::ostringstream out, err;
    const int status = app.exit(e, out, err);
    WriteText(stdout, out.str());
    WriteText(stderr, err.str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareConsole();
    int refused = -1;
    const std::vector<std::string> given = ProgramArguments(argc, argv, &refused);
    std::vector<const char*> givenPointers;
    for (const std::string& arg : given) givenPointers.push_back(arg.c_str());
    const std::vector<std::string> args = NormaliseArguments(static_cast<int>(givenPointers.size()), givenPointers.data());
    SetUpEnvironment(args);
    if (refused >= 0) {
        // Never a name with U+FFFD in it: that could be another file.
        std::fprintf(stderr, "brelko-cli: %s\n",
                     FormatArgs(LoadString(IDS_ARGUMENT_NOT_TEXT), {std::to_string(refused)}).c_str());
        return ToInt(ExitStatus::Usage);
    }

    GlobalOptions options;
    CLI::App app{"brelko-cli: Brelko's device commands on the command line"};
    app.name("brelko-cli");
    app.fallthrough();
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("brelko-cli ") + kBuildVersion + "\n" + SettingsFilesText());
#if BRELKO_CLI_SIMULATOR
    app.footer("Exit statuses:\n" + ExitStatusTableText() + "\n" + SimulatorHelp() + "\n" + SettingsFilesText());
#else
    app.footer("Exit statuses:\n" + ExitStatusTableText() + "\n" + SettingsFilesText());
#endif

    app.add_option("--port", options.port, "COM number of the vision system's port (default: Custom/Comport)")
        ->check(CLI::Range(1, 256));
#ifdef _WIN32
    app.add_option("--device", options.device, "Use this serial device (COM3, \\\\.\\CNCA0) instead of a COM number");
#else
    app.add_option("--device", options.device, "Use this tty device instead of a COM number");
#endif
    app.add_option("--ini", options.ini, "Settings file (default: beside the program)");
#if BRELKO_CLI_SIMULATOR
    app.add_option("--simulate", options.simulate,
                   "Run the built-in simulator and use it; --simulate=PRESET picks a preset");
    app.add_option("--sim-fault", options.simFaults, "Fault switch of the simulator, NAME or NAME=VALUE (repeatable)");
    app.add_option("--sim-picture", options.simPicture, "MTX file the simulator sends as its screen picture")
        ->check(CLI::ExistingFile);
    app.add_option("--sim-form", options.simForm, "How the simulator sends its picture: raw or archive")
        ->check(CLI::IsMember({"raw", "archive"}));
    app.add_option("--sim-bits", options.simBits, "Bits per pixel of the simulator's picture: 8 or 16")
        ->check(CLI::IsMember({8, 16}));
    app.add_option("--sim-baud", options.simBaud, "Line speed of the simulator (default 0: as fast as it goes)")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--sim-restart", options.simRestart, "Seconds the simulator stays silent after a restore")
        ->check(CLI::NonNegativeNumber);
#endif
    app.add_option("--timeout", options.timeout, "Seconds of silence after which a text reception gives up (default 30); also the wait for a picture's header line (default 60)")
        ->check(CLI::PositiveNumber);
    app.add_option("--lang", options.lang, "Language of the messages: en or da (default: the locale)")
        ->check(CLI::IsMember({"en", "da"}));
    app.add_option("--trace", options.trace, "Record every byte on the line, both ways, to FILE (appends)");
    app.add_flag("-q,--quiet", options.quiet, "No progress and no reports; failures are still shown");
#if BRELKO_CLI_SIMULATOR
    for (const char* simOption : {"--sim-fault", "--sim-picture", "--sim-form", "--sim-bits", "--sim-baud", "--sim-restart"})
        app.get_option(simOption)->needs(app.get_option("--simulate"));
    app.get_option("--simulate")->excludes(app.get_option("--port"))->excludes(app.get_option("--device"));
#endif
    app.get_option("--port")->excludes(app.get_option("--device"));

    std::string file, in, out, archive, destination = ".";
    bool serviceData = false;
    SendOptions sendOptions;

    auto* identify = app.add_subcommand("identify", "Connect and identify the vision system");
    auto* backup = app.add_subcommand("backup", "Back up the vision system's settings to FILE.asc");
    backup->add_option("FILE", file, "Backup file (.asc)")->required();
    backup->add_flag("--service-data", serviceData, "Include extra service data (KALDspot)");
    auto* restore = app.add_subcommand("restore", "Restore the settings from FILE.asc");
    restore->add_option("FILE", file, "Backup file (.asc)")->required();
    restore->add_flag("--force", sendOptions.force, "Send a file that is not text or larger than 1 MiB all the same");
    restore->add_option("--safety-dir", sendOptions.safetyDir,
                        "Folder for the safety copy of the current settings (default: safety/ beside FILE)");
    restore->add_flag("--no-safety-copy", sendOptions.noSafetyCopy, "Send without a safety copy first");
    restore->get_option("--safety-dir")->excludes(restore->get_option("--no-safety-copy"));
    auto* getMenu = app.add_subcommand("get-menu", "Fetch the menu texts into FILE.txt");
    getMenu->add_option("FILE", file, "Text file (.txt)")->required();
    auto* getLanguage = app.add_subcommand("get-language", "Fetch the language texts into FILE.txt");
    getLanguage->add_option("FILE", file, "Text file (.txt)")->required();
    auto* sendLanguage = app.add_subcommand("send-language", "Send a language file FILE.txt");
    sendLanguage->add_option("FILE", file, "Text file (.txt)")->required();
    sendLanguage->add_flag("--force", sendOptions.force, "Send a file that is not text or larger than 64 KiB all the same");
    // .png only where this build has it (not the Windows one).
    const std::string kinds = PngSupported() ? ".mtx, .tga or .png" : ".mtx or .tga";
    auto* getPicture = app.add_subcommand("get-picture", "Fetch a screen picture into FILE (" + kinds + ")");
    getPicture->add_option("FILE", file, "Picture file")->required();
    auto* convert = app.add_subcommand(
        "convert", PngSupported() ? "Convert a picture between .mtx, .tga and .png" : "Convert a picture between .mtx and .tga");
    convert->add_option("IN", in, "Input picture")->required();
    convert->add_option("OUT", out, "Output picture")->required();
    auto* arc = app.add_subcommand("arc", "List or extract an .arq archive");
    arc->require_subcommand(1);
    auto* arcList = arc->add_subcommand("list", "List the files of ARCHIVE");
    arcList->add_option("ARCHIVE", archive, "Archive")->required();
    auto* arcExtract = arc->add_subcommand("extract", "Extract ARCHIVE into DEST (default: here)");
    arcExtract->add_option("ARCHIVE", archive, "Archive")->required();
    arcExtract->add_option("DEST", destination, "Destination folder")->check(CLI::ExistingDirectory);
    auto* portStatus = app.add_subcommand("port-status", "Print the port's status dump and line states");
    auto* ports = app.add_subcommand("ports", "List the serial devices and their COM numbers");
    auto* diff = app.add_subcommand(
        "diff", "Compare two backups A.asc B.asc; with --system, what a restore of FILE.asc would change");
    std::vector<std::string> diffFiles;
    bool diffSystem = false;
    diff->add_option("FILES", diffFiles, "Two backups, or one with --system")->required()->expected(1, 2);
    auto* systemFlag =
        diff->add_flag("--system", diffSystem, "Compare FILE.asc with the vision system's current settings");
    diff->add_flag("--service-data", serviceData, "Fetch the system's settings with service data (KALDspot)")
        ->needs(systemFlag);

    std::vector<const char*> argvNormalised;
    for (const std::string& arg : args) argvNormalised.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argvNormalised.size()), argvNormalised.data());
    } catch (const CLI::CallForHelp& e) {
        return ExitWithText(app, e);
    } catch (const CLI::CallForAllHelp& e) {
        return ExitWithText(app, e);
    } catch (const CLI::CallForVersion& e) {
        return ExitWithText(app, e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "brelko-cli: %s\n", e.what());
        std::fprintf(stderr, "%s\n", CliText(Text::SeeHelp).c_str());
        return ToInt(ExitStatus::Usage);
    }

    if (diff->parsed() && diffFiles.size() != (diffSystem ? 1u : 2u)) {
        std::fprintf(stderr, "brelko-cli: %s\n", CliText(Text::DiffFiles).c_str());
        std::fprintf(stderr, "%s\n", CliText(Text::SeeHelp).c_str());
        return ToInt(ExitStatus::Usage);
    }

    Console console(stdout, stderr, options.quiet);
    ExitStatus status = ExitStatus::Failure;
    if (identify->parsed()) status = RunIdentify(options, console);
    else if (backup->parsed()) status = RunBackup(options, console, file, serviceData);
    else if (restore->parsed()) status = RunRestore(options, console, file, sendOptions);
    else if (getMenu->parsed()) status = RunGetMenu(options, console, file);
    else if (getLanguage->parsed()) status = RunGetLanguage(options, console, file);
    else if (sendLanguage->parsed()) status = RunSendLanguage(options, console, file, sendOptions);
    else if (getPicture->parsed()) status = RunGetPicture(options, console, file);
    else if (convert->parsed()) status = RunConvert(console, in, out);
    else if (arcList->parsed()) status = RunArcList(console, archive);
    else if (arcExtract->parsed()) status = RunArcExtract(console, archive, destination);
    else if (portStatus->parsed()) status = RunPortStatus(options, console);
    else if (ports->parsed()) status = RunPorts(options, console);
    else if (diff->parsed() && diffSystem) status = RunDiffSystem(options, console, diffFiles[0], serviceData);
    else if (diff->parsed()) status = RunDiff(console, diffFiles[0], diffFiles[1]);
    return ToInt(status);
}
