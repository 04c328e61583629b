#include "DeviceSession.h"

#include <cstdio>

#include "CDeviceLine.h"
#include "CliText.h"
#include "ConsoleSystem.h"
#include "Profile.h"
#if BRELKO_CLI_SIMULATOR
#include "SimulatorRunner.h"
#endif
#include "Strings.h"

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
    if (m_options.simulate) {
        std::string error;
        bool badOptions = false;
        m_simulator = SimulatorRunner::Start(m_options, &error, &badOptions);
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
    if (!line.Trace().Start(m_options.trace, &error)) {
        m_console.Error(Format(CliText(Text::CannotWrite), {m_options.trace, error}));
        return ExitStatus::WriteError;
    }
    line.Trace().Note("brelko-cli on " + PortLabel());
    return ExitStatus::Ok;
}

void DeviceSession::ReportTraceFailure(CDeviceLine& line) {
    if (m_options.trace.empty()) return;
    const std::string error = line.Trace().LastError();
    if (!error.empty()) m_console.Error(Format(CliText(Text::TraceStopped), {m_options.trace, error}));
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

std::string DeviceSession::OpenFailureText(const CDeviceLine& line) const {
    // The reason names the device itself; a COM number is worth adding.
    const std::string reason = line.OpenFailureReason();
    std::string text = LoadString(IDS_CANNOT_OPEN_PORT) + " ";
    if (reason.empty()) return text + PortLabel();
    const std::string com = "COM" + std::to_string(m_comNumber);
    if (m_comNumber != 0 && reason.find(com) == std::string::npos) text += com + ": ";
    return text + reason;
}

}  // namespace brelko::cli
