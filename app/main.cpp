// brelko: the windowed program.
//   brelko [--ini FILE] [--lang en|da] [--simulate[=PRESET]] [--open FILE...]
// A file named without --open is not opened: the program starts empty, as it
// always has. --open hands the files to a program already running on the same
// settings file, or opens them after start-up.
#include <CLI/CLI.hpp>

#include <QApplication>
#include <QFileInfo>
#include <cstdio>

#include "BrelkoVersion.h"
#include "CBrelkoApp.h"
#include "Options.h"
#include "Profile.h"
#include "SingleInstance.h"
#include "SimulatorRunner.h"

using namespace brelko;

int main(int argc, char** argv) {
    // The command line is read before Qt starts, so --help needs no display.
    const std::vector<std::string> args = cli::NormaliseArguments(argc, argv);
    app::AppOptions options;
    std::optional<std::string> simulate;
    CLI::App parser{"brelko: the maintenance tool for the vision system"};
    parser.name("brelko");
    parser.allow_extras();
    parser.set_version_flag("--version", std::string("brelko ") + kBuildVersion);
    parser.add_option("--ini", options.iniPath, "Settings file (default: beside the program)");
    parser.add_option("--lang", options.language, "Language of the window without a language library: en or da")
        ->check(CLI::IsMember({"en", "da"}));
    parser.add_option("--simulate", simulate, "Run the built-in simulator on the configured port; --simulate=PRESET picks a preset");
    parser.add_option("--sim-baud", options.simulatorBaud, "Line speed of the simulator (0: as fast as it goes)")
        ->check(CLI::NonNegativeNumber);
    parser.add_option("--sim-fault", options.simulatorFaults, "Fault switch of the simulator, NAME or NAME=VALUE");
    parser.add_option("--sim-form", options.simulatorForm, "How the simulator sends its picture: raw or archive")
        ->check(CLI::IsMember({"raw", "archive"}));
    parser.add_option("--sim-bits", options.simulatorBits, "Bits per pixel of the simulator's picture: 8 or 16")
        ->check(CLI::IsMember({8, 16}));
    parser.add_option("--open", options.openFiles, "Open these files (in the running program when there is one)")
        ->expected(1, -1);
    parser.footer("Presets of the simulator:\n" + cli::SimulatorPresetHelp());
    std::vector<const char*> argvNormalised;
    for (const std::string& arg : args) argvNormalised.push_back(arg.c_str());
    try {
        parser.parse(static_cast<int>(argvNormalised.size()), argvNormalised.data());
    } catch (const CLI::ParseError& e) {
        return parser.exit(e);
    }
    if (simulate) {
        options.simulate = true;
        options.simulatorPreset = *simulate;
    }

    const std::string settings =
        options.iniPath.empty() ? Profile::DefaultPath(Profile::ExecutablePath()) : options.iniPath;
    std::vector<std::string> files;
    for (const std::string& file : options.openFiles) files.push_back(QFileInfo(QString::fromStdString(file)).absoluteFilePath().toStdString());
    options.openFiles = files;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brelko"));
    QApplication::setApplicationVersion(QString::fromLatin1(kBuildVersion));
    QApplication::setDesktopFileName(QStringLiteral("brelko"));
    if (!options.openFiles.empty() && app::SingleInstance::SendToRunning(settings, options.openFiles)) return 0;

    app::CBrelkoApp brelkoApp(options);
    if (!brelkoApp.InitInstance()) return 1;
    return QApplication::exec();
}
