#include "cli/DeviceSession.h"

#include <cerrno>
#include <cstdio>

#include "comlink/deviceline/CDeviceLine.h"
#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>

#include "comlink/CPosixPort.h"
#include "comlink/UucpLock.h"
#endif
#include "cli/CliText.h"
#include "cli/ConsoleSystem.h"
#include "platform/Profile.h"
#if BRELKO_CLI_SIMULATOR
#include "sim/SimulatorRunner.h"
#endif
#include "platform/Strings.h"
#include "platform/SystemFiles.h"

namespace brelko::cli {

StdoutSilencer::StdoutSilencer() {
    std::fflush(stdout);
    m_saved = RedirectToNull(stdout);
}

StdoutSilencer::~StdoutSilencer() {
    std::fflush(stdout);
    RestoreStream(stdout, m_saved);
}

DeviceSession::DeviceSession(const GlobalOptions& options, Console& console)
    : m_options(options), m_console(console) {}

DeviceSession::~DeviceSession() {
    CDeviceLine::SetPortFactory({});
#if BRELKO_CLI_SIMULATOR
    m_simulator.reset();
#endif
}

ExitStatus DeviceSession::Prepare() {
#if BRELKO_CLI_SIMULATOR
    if (m_options.sim.simulate) {
        std::string error;
        bool badOptions = false;
        m_simulator = SimulatorRunner::Start(m_options.sim, &error, &badOptions);
        if (!m_simulator) {
            m_console.Error(Format(CliText(Text::SimulatorFailed), {error}));
            return badOptions ? ExitStatus::Usage : ExitStatus::Failure;
        }
        m_device = m_simulator->DevicePath();
    } else
#endif
    if (!m_options.device.empty()) {
        m_device = m_options.device;
    } else {
        // A COM number: the device line's own rule (Ports/COM<n>, else
        // /dev/ttyS<n-1>), with --port in place of Custom/Comport.
        m_comNumber = m_options.port ? *m_options.port : Profile::GetInt("Custom", "Comport", 1);
        m_device = CDeviceLine::SystemDeviceName(m_comNumber - 1);
        if (m_options.port) {
            const int portNumber = m_comNumber - 1;
            CDeviceLine::SetPortFactory([portNumber](int, int receiveSize, int transmitSize) {
                return CDeviceLine::MakeSystemPort(portNumber, receiveSize, transmitSize);
            });
        }
        return ExitStatus::Ok;
    }
    // A device by path: the device line opens it whatever Custom/Comport says.
    CDeviceLine::SetPortFactory([device = m_device](int, int receiveSize, int transmitSize) {
        return CDeviceLine::MakeSystemPort(device, receiveSize, transmitSize);
    });
    return ExitStatus::Ok;
}

ExitStatus DeviceSession::StartTrace(CDeviceLine& line) {
    if (m_options.trace.empty()) return ExitStatus::Ok;
    std::string error;
    bool started = false;
    if (m_options.trace == "-") {
        // Standard output, asked for by name: a stream of its own, as the
        // device line's diagnostic silences stdout for a moment.
        started = line.Trace().Start(CopyOfStandardOutput(), "-");
        if (!started) error = sysfile::ErrorMessage(errno);
    } else {
        started = line.Trace().Start(m_options.trace, &error);
    }
    if (!started) {
        m_console.Error(Format(CliText(Text::CannotWrite), {m_options.trace, error}));
        return ExitStatus::WriteError;
    }
    line.Trace().Note("brelko-cli on " + PortLabel());
    return ExitStatus::Ok;
}

void DeviceSession::ReportTraceEnd(LineTrace& trace) {
    if (m_options.trace.empty()) return;
    // Everything queued is written first: only then is the trace's end known.
    trace.Stop();
    const std::string error = trace.LastError();
    if (!error.empty()) m_console.Error(Format(CliText(Text::TraceStopped), {m_options.trace, error}));
    if (const std::uint64_t missing = trace.DroppedBytes(); missing > 0)
        m_console.Error(Format(CliText(Text::TraceIncomplete), {m_options.trace, std::to_string(missing)}));
}

std::string DeviceSession::DevicePath() const { return m_device; }

std::string DeviceSession::PortLabel() const {
#if BRELKO_CLI_SIMULATOR
    if (m_simulator) return m_simulator->Label();
#endif
    if (m_comNumber != 0) {
        const std::string com = "COM" + std::to_string(m_comNumber);
        // Windows names the device after the port: "\\.\COM3" says nothing more.
        return m_device == "\\\\.\\" + com ? com : com + " (" + m_device + ")";
    }
    return m_device;
}

namespace {

#ifndef _WIN32
std::string GroupOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    if (const struct group* gr = ::getgrgid(st.st_gid)) return gr->gr_name;
    return std::to_string(st.st_gid);
}
#endif

// The port's reason in the user's language: the string table's words for
// the causes it names; the port's own (English) words otherwise.
std::string OpenFailureReason(const CDeviceLine& line) {
    const std::string reason = line.OpenFailureReason();
#ifndef _WIN32
    const CCommPort* port = line.Port();
    if (!port || BuiltinLanguage() != Language::Danish) return reason;
    const std::string device = port->Device();
    switch (port->OpenFailureKind()) {
    case OpenFailure::NoSuchDevice: return FormatArgs(LoadString(IDS_PORT_NO_DEVICE), {device});
    case OpenFailure::NoPermission: {
        const std::string group = GroupOf(device);
        if (group.empty()) return FormatArgs(LoadString(IDS_PORT_NO_PERMISSION_ASK), {device});
        return FormatArgs(LoadString(IDS_PORT_NO_PERMISSION), {device, group});
    }
    case OpenFailure::Busy: {
        std::string holders = CPosixPort::DeviceHolders(device);
        if (const long owner = UucpLock::LiveOwner(device); holders.empty() && owner != 0)
            holders = CPosixPort::ProcessName(owner) + " (pid " + std::to_string(owner) + ")";
        return FormatArgs(LoadString(IDS_PORT_BUSY),
                          {device, holders.empty() ? LoadString(IDS_PORT_HOLDER_UNKNOWN) : holders});
    }
    case OpenFailure::NotATty: return FormatArgs(LoadString(IDS_PORT_NOT_SERIAL), {device});
    case OpenFailure::AlreadyOpen: return FormatArgs(LoadString(IDS_PORT_ALREADY_OPEN), {device});
    case OpenFailure::None:
    case OpenFailure::NotInTable:
    case OpenFailure::Other: break;
    }
#endif
    return reason;
}

}  // namespace

std::string DeviceSession::OpenFailureText(const CDeviceLine& line) const {
    // The reason names the device itself; a COM number is worth adding.
    const std::string reason = OpenFailureReason(line);
    std::string text = LoadString(IDS_CANNOT_OPEN_PORT) + " ";
    if (reason.empty()) return text + PortLabel();
    const std::string com = "COM" + std::to_string(m_comNumber);
    if (m_comNumber != 0 && reason.find(com) == std::string::npos) text += com + ": ";
    return text + reason;
}

}  // namespace brelko::cli
