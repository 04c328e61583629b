#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "BrelkoVersion.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/ConsoleSystem.h"
#include "cli/ExitStatus.h"
#include "platform/Profile.h"
#include "res/ResourceIds.h"
#include "png/RgbImage.h"
#include "platform/Strings.h"

namespace brelko::cli {

namespace {

// The labels of the help, in the user's language.
std::shared_ptr<CLI::Formatter> HelpFormatter() {
    auto formatter = std::make_shared<CLI::Formatter>();
    formatter->column_width(34);
    formatter->label("Usage", Bilingual("Usage", "Brug"));
    formatter->label("OPTIONS", Bilingual("OPTIONS", "VALGMULIGHEDER"));
    formatter->label("SUBCOMMAND", Bilingual("COMMAND", "KOMMANDO"));
    formatter->label("SUBCOMMANDS", Bilingual("COMMAND", "KOMMANDO"));
    formatter->label("Positionals", Bilingual("Arguments", "Argumenter"));
    formatter->label("REQUIRED", Bilingual("(required)", "(skal angives)"));
    formatter->label("Needs", Bilingual("needs", "kræver"));
    formatter->label("Excludes", Bilingual("not with", "ikke med"));
    return formatter;
}

std::string OptionsGroup() { return Bilingual("Options", "Valgmuligheder"); }

// A validator with the program's own words; an empty answer accepts.
CLI::Validator Check(std::function<std::string(const std::string&)> check) {
    return CLI::Validator([check](std::string& value) { return check(value); }, "", "");
}

bool WholeNumber(const std::string& text, long low, long high) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

bool Number(const std::string& text, double low, double high) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value) && value >= low && value <= high;
}

CLI::Validator WholeNumberIn(long low, long high) {
    return Check([low, high](const std::string& text) {
        if (WholeNumber(text, low, high)) return std::string();
        return Format(Bilingual("give a whole number from %1 to %2", "angiv et helt tal fra %1 til %2"),
                      {std::to_string(low), std::to_string(high)});
    });
}

CLI::Validator OneOf(std::vector<std::string> words) {
    return Check([words](const std::string& text) {
        std::string list;
        for (const std::string& word : words) {
            if (word == text) return std::string();
            list += (list.empty() ? "" : ", ") + word;
        }
        return Format(Bilingual("give one of %1", "angiv en af %1"), {list});
    });
}

#if BRELKO_CLI_SIMULATOR
// The simulator's own options.
CLI::Validator NotNegative() {
    return Check([](const std::string& text) {
        if (Number(text, 0, 1e9)) return std::string();
        return Bilingual("give a number, 0 or more", "angiv et tal, 0 eller mere");
    });
}

CLI::Validator AnExistingFile() {
    return Check([](const std::string& text) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(std::filesystem::u8path(text), ec)) return std::string();
        return Format(Bilingual("%1 is no file that can be read", "%1 er ingen fil, der kan læses"), {text});
    });
}

#endif

CLI::Validator AnExistingFolder() {
    return Check([](const std::string& text) {
        std::error_code ec;
        if (std::filesystem::is_directory(std::filesystem::u8path(text), ec)) return std::string();
        return Format(Bilingual("%1 is no folder", "%1 er ingen mappe"), {text});
    });
}

// The last line of every command's own help.
std::string SeeMainHelp() {
#if BRELKO_CLI_SIMULATOR
    return Bilingual("Exit statuses, simulator presets and fault switches: brelko-cli --help",
                     "Afslutningsstatus, simulatorens forvalg og fejl: brelko-cli --help");
#else
    return Bilingual("Exit statuses: brelko-cli --help", "Afslutningsstatus: brelko-cli --help");
#endif
}

CLI::App* Command(CLI::App& app, const std::string& name, const std::string& description) {
    CLI::App* command = app.add_subcommand(name, description);
    command->group(Bilingual("Commands", "Kommandoer"));
    command->footer(SeeMainHelp());
    // Its help flag was made before the defaults could reach it.
    if (CLI::Option* help = command->get_help_ptr()) help->group(OptionsGroup());
    return command;
}

CLI::Option* FileArgument(CLI::App* command, const std::string& english, const std::string& danish,
                          std::string& into, const std::string& description) {
    return command->add_option(Bilingual(english.c_str(), danish.c_str()), into, description)
        ->required()
        ->type_name("");
}

// The first argument left over that is no option: a command that is not one.
std::string FirstWord(const std::vector<std::string>& unexpected) {
    for (const std::string& arg : unexpected)
        if (!arg.empty() && arg[0] != '-') return arg;
    return {};
}

std::string After(const std::string& text, const std::string& marker) {
    const std::size_t at = text.find(marker);
    return at == std::string::npos ? std::string() : text.substr(at + marker.size());
}

std::string Before(const std::string& text, const std::string& marker) {
    const std::size_t at = text.find(marker);
    return at == std::string::npos ? text : text.substr(0, at);
}

// Which settings file is read, for --help and --version.
std::string SettingsFilesText() {
    const std::vector<std::string> files = Profile::FilesRead();
    if (files.size() > 1) return FormatArgs(LoadString(IDS_SETTINGS_FILES), {files[0], files[1]});
    return FormatArgs(LoadString(IDS_SETTINGS_FILE), {files.empty() ? std::string() : files[0]});
}

// Help and version text through the console's own path (Danish letters on
// a Windows console).
int ExitWithText(const CLI::App& app, const CLI::Error& e) {
    std::ostringstream out, err;
    const int status = app.exit(e, out, err);
    WriteText(stdout, out.str());
    WriteText(stderr, err.str());
    return status;
}

std::string CommandList() {
    std::string list;
    for (const std::string& name : CommandNames()) list += (list.empty() ? "" : ", ") + name;
    return list;
}

}  // namespace

const std::vector<std::string>& CommandNames() {
    static const std::vector<std::string> names = {
        "identify", "backup",      "restore", "get-menu", "get-language", "send-language", "get-picture",
        "convert",  "arc",         "port-status", "ports", "diff"};
    return names;
}

std::string UnknownCommandText(const std::string& word) {
    return Format(Bilingual("unknown command %1; commands are: %2", "ukendt kommando %1; kommandoerne er: %2"),
                  {word, CommandList()});
}

bool CheckTimeout(const std::string& text, std::string* reason) {
    if (Number(text, 1, 3600)) return true;
    if (reason)
        *reason = Bilingual("give the seconds as a number from 1 to 3600",
                            "angiv sekunderne som et tal fra 1 til 3600");
    return false;
}

std::string ParseErrorText(const CLI::ParseError& error, const std::vector<std::string>& unexpected, bool inArc) {
    const std::string what = error.what();
    if (dynamic_cast<const CLI::RequiredError*>(&error)) {
        if (what.rfind("Requires at least", 0) == 0 || what.find("subcommand") != std::string::npos) {
            if (inArc) return Bilingual("arc needs list or extract", "arc skal have list eller extract");
            if (const std::string word = FirstWord(unexpected); !word.empty()) return UnknownCommandText(word);
            return Format(Bilingual("no command given; commands are: %1", "ingen kommando angivet; kommandoerne er: %1"),
                          {CommandList()});
        }
        return Format(Bilingual("%1 is missing", "%1 mangler"), {Before(what, " is required")});
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error)) {
        const std::string extra = After(what, ": ");
        if (!extra.empty() && extra[0] == '-')
            return Format(Bilingual("unknown option %1", "ukendt valgmulighed %1"), {Before(extra, " ")});
        return Format(Bilingual("unexpected argument: %1", "uventet argument: %1"), {extra});
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) {
        std::string name = Before(what, ":");
        if (const std::string to = After(what, " arguments to "); !to.empty()) name = Before(to, " ");
        return Format(Bilingual("%1 needs a value", "%1 skal have en værdi"), {name});
    }
    if (dynamic_cast<const CLI::RequiresError*>(&error))
        return Format(Bilingual("%1 needs %2", "%1 kræver %2"), {Before(what, " requires "), After(what, " requires ")});
    if (dynamic_cast<const CLI::ExcludesError*>(&error))
        return Format(Bilingual("%1 and %2 cannot be used together", "%1 og %2 kan ikke bruges sammen"),
                      {Before(what, " excludes "), After(what, " excludes ")});
    if (dynamic_cast<const CLI::ConversionError*>(&error)) {
        if (const std::string rest = After(what, "Could not convert: "); !rest.empty())
            return Format(Bilingual("%1 does not take %2", "%1 tager ikke %2"), {Before(rest, " = "), After(rest, " = ")});
        return Format(Bilingual("%1 takes no value", "%1 tager ingen værdi"), {Before(what, ":")});
    }
    // Validation errors carry the program's own words behind the option's name.
    return what;
}

std::optional<int> ParseCommandLine(const std::vector<std::string>& args, CommandLine& line) {
    GlobalOptions& options = line.options;
    CLI::App app{Bilingual("brelko-cli: Brelko's device commands on the command line",
                           "brelko-cli: Brelkos kommandoer til vision systemet på kommandolinjen")};
    app.name("brelko-cli");
    app.formatter(HelpFormatter());
    app.option_defaults()->group(OptionsGroup());
    app.set_help_flag("-h,--help", Bilingual("Show this help and end", "Vis denne hjælp og afslut"));
    app.fallthrough();
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("brelko-cli ") + kBuildVersion + "\n" + SettingsFilesText(),
                         Bilingual("Show the program's version and end", "Vis programmets version og afslut"));
    std::string footer = Bilingual("Exit statuses:\n", "Afslutningsstatus:\n") + ExitStatusTableText();
#if BRELKO_CLI_SIMULATOR
    footer += "\n" + SimulatorHelp();
#endif
    app.footer(footer + "\n" + SettingsFilesText());

    auto* port = app.add_option("--port", options.port,
                                Bilingual("COM number of the vision system's port (default: Custom/Comport)",
                                          "COM nummer på vision systemets port (standard: Custom/Comport)"))
                     ->type_name("N")
                     ->check(WholeNumberIn(1, 256));
#ifdef _WIN32
    auto* device = app.add_option("--device", options.device,
                                  Bilingual("Use this serial device (COM3, \\\\.\\CNCA0) instead of a COM number",
                                            "Brug denne serielle enhed (COM3, \\\\.\\CNCA0) i stedet for et COM nummer"));
#else
    auto* device = app.add_option("--device", options.device,
                                  Bilingual("Use this tty device instead of a COM number",
                                            "Brug denne tty-enhed i stedet for et COM nummer"));
#endif
    device->type_name(Bilingual("PATH", "STI"));
    app.add_option("--ini", options.ini, Bilingual("Settings file (default: beside the program)",
                                                  "Indstillingsfil (standard: ved siden af programmet)"))
        ->type_name(Bilingual("FILE", "FIL"));
#if BRELKO_CLI_SIMULATOR
    auto* simulate = app.add_option("--simulate", options.sim.simulate,
                                    Bilingual("Run the built-in simulator and use it; --simulate=PRESET picks a preset",
                                              "Kør den indbyggede simulator og brug den; --simulate=FORVALG vælger et forvalg"))
                         ->type_name(Bilingual("PRESET", "FORVALG"));
    std::vector<CLI::Option*> simOptions;
    simOptions.push_back(app.add_option("--sim-fault", options.sim.simFaults,
                                        Bilingual("Fault switch of the simulator (repeatable)",
                                                  "Simulatorens fejl (kan gentages)"))
                             ->type_name(Bilingual("NAME[=VALUE]", "NAVN[=VÆRDI]")));
    simOptions.push_back(app.add_option("--sim-picture", options.sim.simPicture,
                                        Bilingual("MTX file the simulator sends as its screen picture",
                                                  "MTX fil, som simulatoren sender som sit skærmbillede"))
                             ->type_name(Bilingual("FILE", "FIL"))
                             ->check(AnExistingFile()));
    simOptions.push_back(app.add_option("--sim-form", options.sim.simForm,
                                        Bilingual("How the simulator sends its picture", "Hvordan simulatoren sender sit billede"))
                             ->type_name("raw|archive")
                             ->check(OneOf({"raw", "archive"})));
    simOptions.push_back(app.add_option("--sim-bits", options.sim.simBits,
                                        Bilingual("Bits per pixel of the simulator's picture",
                                                  "Bits pr. pixel i simulatorens billede"))
                             ->type_name("8|16")
                             ->check(OneOf({"8", "16"})));
    simOptions.push_back(app.add_option("--sim-baud", options.sim.simBaud,
                                        Bilingual("Line speed of the simulator (default 0: as fast as it goes)",
                                                  "Simulatorens linjehastighed (standard 0: så hurtigt det kan gå)"))
                             ->type_name("N")
                             ->check(WholeNumberIn(0, 4000000)));
    simOptions.push_back(app.add_option("--sim-restart", options.sim.simRestart,
                                        Bilingual("Seconds the simulator stays silent after a restore",
                                                  "Sekunder simulatoren tier efter en gendannelse"))
                             ->type_name(Bilingual("SECONDS", "SEKUNDER"))
                             ->check(NotNegative()));
#endif
    app.add_option("--timeout", options.timeout,
                   Bilingual("Seconds of silence after which a text reception gives up (default 30); also the wait "
                             "for a picture's header line (default 60); 1 to 3600",
                             "Sekunders stilhed, hvorefter en tekstmodtagelse opgives (standard 30); også ventetiden "
                             "på et billedes hovedlinje (standard 60); 1 til 3600"))
        ->type_name(Bilingual("SECONDS", "SEKUNDER"))
        ->check(Check([](const std::string& text) {
            std::string reason;
            return CheckTimeout(text, &reason) ? std::string() : reason;
        }));
    app.add_option("--lang", options.lang,
                   Bilingual("Language of the messages (default: the locale)", "Meddelelsernes sprog (standard: lokaliteten)"))
        ->type_name("en|da")
        ->check(OneOf({"en", "da"}));
    app.add_option("--trace", options.trace,
                   Bilingual("Record every byte on the line, both ways, to FILE (appends; - for standard output)",
                             "Optag hver byte på linjen, begge veje, i FIL (tilføjer; - for standard output)"))
        ->type_name(Bilingual("FILE", "FIL"));
    app.add_flag("-q,--quiet", options.quiet,
                 Bilingual("No progress and no reports; failures are still shown",
                           "Ingen fremdrift og ingen rapporter; fejl vises stadig"));
#if BRELKO_CLI_SIMULATOR
    for (CLI::Option* option : simOptions) option->needs(simulate);
    simulate->excludes(port)->excludes(device);
#endif
    port->excludes(device);

    auto* identify = Command(app, "identify", Bilingual("Connect and identify the vision system",
                                                        "Forbind og identificér vision systemet"));
    auto* backup = Command(app, "backup", Bilingual("Back up the vision system's settings to FILE.asc",
                                                    "Tag backup af vision systemets opsætning i FIL.asc"));
    FileArgument(backup, "FILE", "FIL", line.file, Bilingual("Backup file (.asc)", "Backup-fil (.asc)"));
    backup->add_flag("--service-data", line.serviceData,
                     Bilingual("Include extra service data (KALDspot)", "Medtag ekstra serviceinformation (KALDspot)"));
    auto* restore = Command(app, "restore", Bilingual("Restore the settings from FILE.asc",
                                                      "Gendan opsætningen fra FIL.asc"));
    FileArgument(restore, "FILE", "FIL", line.file, Bilingual("Backup file (.asc)", "Backup-fil (.asc)"));
    restore->add_flag("--force", line.send.force,
                      Bilingual("Send a file that is not text or larger than 1 MiB all the same",
                                "Send en fil, der ikke er tekst eller er større end 1 MiB, alligevel"));
    auto* safetyDir = restore->add_option("--safety-dir", line.send.safetyDir,
                                          Bilingual("Folder for the safety copy of the current settings (default: "
                                                    "safety/ beside FILE)",
                                                    "Mappe til sikkerhedskopien af den nuværende opsætning (standard: "
                                                    "safety/ ved siden af FIL)"))
                          ->type_name(Bilingual("FOLDER", "MAPPE"));
    auto* noCopy = restore->add_flag("--no-safety-copy", line.send.noSafetyCopy,
                                     Bilingual("Send without a safety copy first", "Send uden en sikkerhedskopi først"));
    safetyDir->excludes(noCopy);
    auto* getMenu = Command(app, "get-menu", Bilingual("Fetch the menu texts into FILE.txt", "Hent menuteksterne i FIL.txt"));
    FileArgument(getMenu, "FILE", "FIL", line.file, Bilingual("Text file (.txt)", "Tekstfil (.txt)"));
    auto* getLanguage = Command(app, "get-language", Bilingual("Fetch the language texts into FILE.txt",
                                                                "Hent sprogteksterne i FIL.txt"));
    FileArgument(getLanguage, "FILE", "FIL", line.file, Bilingual("Text file (.txt)", "Tekstfil (.txt)"));
    auto* sendLanguage = Command(app, "send-language", Bilingual("Send a language file FILE.txt", "Send en sprogfil FIL.txt"));
    FileArgument(sendLanguage, "FILE", "FIL", line.file, Bilingual("Text file (.txt)", "Tekstfil (.txt)"));
    sendLanguage->add_flag("--force", line.send.force,
                           Bilingual("Send a file that is not text or larger than 64 KiB all the same",
                                     "Send en fil, der ikke er tekst eller er større end 64 KiB, alligevel"));
    // .png only where this build has it (not the Windows one).
    auto* getPicture =
        Command(app, "get-picture",
                PngSupported() ? Bilingual("Fetch a screen picture into FILE (.mtx, .tga or .png)",
                                           "Hent et skærmbillede i FIL (.mtx, .tga eller .png)")
                               : Bilingual("Fetch a screen picture into FILE (.mtx or .tga)",
                                           "Hent et skærmbillede i FIL (.mtx eller .tga)"));
    FileArgument(getPicture, "FILE", "FIL", line.file, Bilingual("Picture file", "Billedfil"));
    auto* convert = Command(app, "convert",
                            PngSupported() ? Bilingual("Convert a picture between .mtx, .tga and .png",
                                                       "Konvertér et billede mellem .mtx, .tga og .png")
                                           : Bilingual("Convert a picture between .mtx and .tga",
                                                       "Konvertér et billede mellem .mtx og .tga"));
    FileArgument(convert, "IN", "IND", line.in, Bilingual("Input picture", "Billedet der læses"));
    FileArgument(convert, "OUT", "UD", line.out, Bilingual("Output picture", "Billedet der skrives"));
    auto* arc = Command(app, "arc", Bilingual("List or extract an .arq archive", "Vis eller udpak et .arq arkiv"));
    arc->require_subcommand(1);
    auto* arcList = Command(*arc, "list", Bilingual("List the files of ARCHIVE", "Vis filerne i ARKIV"));
    FileArgument(arcList, "ARCHIVE", "ARKIV", line.archive, Bilingual("Archive", "Arkiv"));
    auto* arcExtract = Command(*arc, "extract", Bilingual("Extract ARCHIVE into DEST (default: here)",
                                                          "Udpak ARKIV i MAPPE (standard: her)"));
    FileArgument(arcExtract, "ARCHIVE", "ARKIV", line.archive, Bilingual("Archive", "Arkiv"));
    arcExtract->add_option(Bilingual("DEST", "MAPPE"), line.destination, Bilingual("Destination folder", "Målmappe"))
        ->type_name("")
        ->check(AnExistingFolder());
    auto* portStatus = Command(app, "port-status", Bilingual("Print the port's status dump and line states",
                                                             "Vis portens status og linjetilstande"));
    auto* ports = Command(app, "ports", Bilingual("List the serial devices and their COM numbers",
                                                  "Vis de serielle enheder og deres COM numre"));
    auto* diff = Command(app, "diff",
                         Bilingual("Compare two backups A.asc B.asc; with --system, what a restore of FILE.asc would change",
                                   "Sammenlign to backups A.asc B.asc; med --system, hvad en gendannelse af FIL.asc ville ændre"));
    diff->add_option(Bilingual("FILES", "FILER"), line.diffFiles,
                     Bilingual("Two backups, or one with --system", "To backups, eller én med --system"))
        ->required()
        ->type_name("")
        ->expected(1, 2);
    auto* systemFlag = diff->add_flag("--system", line.diffSystem,
                                      Bilingual("Compare FILE.asc with the vision system's current settings",
                                                "Sammenlign FIL.asc med vision systemets nuværende opsætning"));
    diff->add_flag("--service-data", line.serviceData,
                   Bilingual("Fetch the system's settings with service data (KALDspot)",
                             "Hent systemets opsætning med serviceinformation (KALDspot)"))
        ->needs(systemFlag);

    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::CallForHelp& e) {
        return ExitWithText(app, e);
    } catch (const CLI::CallForAllHelp& e) {
        return ExitWithText(app, e);
    } catch (const CLI::CallForVersion& e) {
        return ExitWithText(app, e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "brelko-cli: %s\n", ParseErrorText(e, app.remaining(true), arc->parsed()).c_str());
        std::fprintf(stderr, "%s\n", CliText(Text::SeeHelp).c_str());
        return ToInt(ExitStatus::Usage);
    }
    if (diff->parsed() && line.diffFiles.size() != (line.diffSystem ? 1u : 2u)) {
        std::fprintf(stderr, "brelko-cli: %s\n", CliText(Text::DiffFiles).c_str());
        std::fprintf(stderr, "%s\n", CliText(Text::SeeHelp).c_str());
        return ToInt(ExitStatus::Usage);
    }
    const std::pair<CLI::App*, const char*> commands[] = {
        {identify, "identify"},       {backup, "backup"},       {restore, "restore"},
        {getMenu, "get-menu"},        {getLanguage, "get-language"}, {sendLanguage, "send-language"},
        {getPicture, "get-picture"},  {convert, "convert"},     {arcList, "arc list"},
        {arcExtract, "arc extract"},  {portStatus, "port-status"}, {ports, "ports"},
        {diff, "diff"},
    };
    for (const auto& [command, name] : commands)
        if (command->parsed()) line.command = name;
    return std::nullopt;
}

}  // namespace brelko::cli
