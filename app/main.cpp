// brelko: the windowed program.
//   brelko [--ini FILE] [--lang en|da] [--simulate[=PRESET]] [--open FILE...]
// A file named without --open is not opened: the program starts empty, as it
// always has. --open hands the files to a program already running on the same
// settings file, or opens them after start-up; a plain second start brings
// the running program's window to the front instead of opening a second one.
// SIGTERM, SIGHUP and SIGINT end the program as Exit does, without questions.
// On Windows the close message does what closing the window does, also when
// it is posted to the program's thread rather than to its window; the end of
// the session writes the settings before the system ends the program.
#include <CLI/CLI.hpp>

#include <QApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <cstdio>

#ifdef _WIN32
#include <QAbstractNativeEventFilter>
#else
#include <unistd.h>

#include <csignal>
#endif

#include "BrelkoVersion.h"
#include "app/CBrelkoApp.h"
#include "app/CMainFrame.h"
#include "platform/Profile.h"
#include "app/SingleInstance.h"
#if BRELKO_APP_SIMULATOR
#include "sim/SimOptions.h"
#include "sim/SimulatorRunner.h"
#else
#include "app/WindowsArguments.h"
#endif
#ifdef _WIN32
// Last: its message macros would otherwise rename the program's own.
#include <windows.h>
#endif

using namespace brelko;

namespace {

#ifndef _WIN32
// The signal handler only writes a byte; the event loop does the rest.
int g_signalPipe[2] = {-1, -1};

void OnEndSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

// Logout, shutdown, a closed terminal or Ctrl+C: the program ends as Exit
// does (the port closed and its lock file gone, the settings written).
void EndOnSignals(app::CBrelkoApp& program, QObject* parent) {
    if (::pipe(g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [&program, notifier] {
        notifier->setEnabled(false);
        if (app::CMainFrame* frame = program.MainFrame()) frame->Terminate();
        else QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigset_t ending;
    sigemptyset(&ending);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        ::sigaction(signal, &action, nullptr);
        sigaddset(&ending, signal);
    }
    // A launcher may have left them blocked: they would never arrive.
    ::pthread_sigmask(SIG_UNBLOCK, &ending, nullptr);
}
#else
// The messages by which Windows ends the program from outside.
// A launcher that ends a program politely (QProcess::terminate, for one)
// posts the close message to each of its windows and to its main thread;
// on a platform without native windows only the thread's arrives. Either
// way the main window closes as its close button does.
// At logout or shutdown the session's end arrives at each window, and the
// system ends the program as soon as the message is answered: the settings
// are written first, as Exit would have written them.
class EndingMessages : public QAbstractNativeEventFilter {
public:
    explicit EndingMessages(app::CBrelkoApp& program) : m_program(program) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "windows_generic_MSG") return false;
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam && !m_sessionEnded) {
            m_sessionEnded = true;
            m_program.SaveSettings();
            return false;  // the toolkit's own ending follows
        }
        if (msg->hwnd != nullptr || msg->message != WM_CLOSE) return false;
        // A window's own close message came first and is still asking the
        // user, or has closed it already: that one decides.
        app::CMainFrame* frame = m_program.MainFrame();
        if (!frame) QCoreApplication::quit();
        else if (!QApplication::activeModalWidget() && frame->isVisible()) frame->close();
        return true;
    }

private:
    app::CBrelkoApp& m_program;
    bool m_sessionEnded = false;
};
#endif

}  // namespace

int main(int argc, char** argv) {
    // The command line is read before Qt starts, so --help needs no display.
#if BRELKO_APP_SIMULATOR
    const std::vector<std::string> args = NormaliseArguments(argc, argv);
#else
    std::vector<std::string> args;
    if (!app::ProgramArguments(args)) return 2;
    if (args.empty()) args.assign(argv, argv + argc);
    // Taken as on Linux, so that the program can say why it has no simulator.
    for (std::size_t i = 1; i < args.size(); ++i)
        if (args[i] == "--simulate") args[i] = "--simulate=default";
#endif
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
#if BRELKO_APP_SIMULATOR
    parser.footer("Presets of the simulator:\n" + SimulatorPresetHelp());
#endif
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
    // One program per settings file: a running one takes the files, or
    // comes to the front.
    if (app::SingleInstance::SendToRunning(settings, options.openFiles)) return 0;

    app::CBrelkoApp brelkoApp(options);
    if (!brelkoApp.InitInstance()) return 1;
#ifdef _WIN32
    EndingMessages endingMessages(brelkoApp);
    application.installNativeEventFilter(&endingMessages);
#else
    EndOnSignals(brelkoApp, &application);
#endif
    return QApplication::exec();
}
