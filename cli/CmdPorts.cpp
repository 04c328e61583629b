// ports and port-status: which serial devices there are, and what one of them
// looks like from here (for diagnosing cables).
#include <string>

#include "comlink/deviceline/CDeviceLine.h"
#include "cli/CliText.h"
#include "cli/Commands.h"
#include "cli/DeviceSession.h"
#include "platform/Profile.h"
#ifdef BRELKO_HAVE_SERIALDEVICES
#include "cli/SerialPorts.h"
#elif defined(_WIN32)
#include "cli/ComPortList.h"
#endif

namespace brelko::cli {

ExitStatus RunPorts(const GlobalOptions& options, Console& console) {
    (void)options;
#ifdef BRELKO_HAVE_SERIALDEVICES
    const auto entries = TakePortInventory(ListSerialDevices(), SettingsComResolver());
    const int configured = Profile::GetInt("Custom", "Comport", 1);
    console.Result(DescribePorts(entries, configured));
    return ExitStatus::Ok;
#elif defined(_WIN32)
    // Windows: the COM ports the system knows by their DOS device names.
    const auto devices = ComPorts(ListSerialDevices());
    console.Result(DescribeSerialDevices(devices, Profile::GetInt("Custom", "Comport", 1)));
    return ExitStatus::Ok;
#else
    console.Error(CliText(Text::NoDeviceListing));
    return ExitStatus::Failure;
#endif
}

ExitStatus RunPortStatus(const GlobalOptions& options, Console& console) {
    DeviceSession session(options, console);
    if (const ExitStatus prepared = session.Prepare(); prepared != ExitStatus::Ok) return prepared;

    CDeviceLine line;
    if (const ExitStatus traced = session.StartTrace(line); traced != ExitStatus::Ok) return traced;
    if (!WithoutStdout([&] { return line.Reopen(); })) {
        console.Error(session.OpenFailureText(line));
        session.ReportTraceEnd(line.Trace());
        return ExitStatus::PortOpen;
    }
    console.Result(CliText(Text::LabelPort) + " " + session.PortLabel());
    line.Port()->DumpStatus([&](const char* text) {
        console.Result(text);
        return 0;
    });
    struct Named {
        const char* name;
        int line;
    };
    constexpr Named kLines[] = {
        {"CTS", LINE_CTS}, {"DSR", LINE_DSR}, {"CD", LINE_CD}, {"DTR", LINE_DTR}, {"RTS", LINE_RTS},
    };
    line.Port()->UpdateStatus();
    std::string states = CliText(Text::LineStates);
    for (const Named& named : kLines) {
        const int value = line.Port()->Line(named.line, -1);
        states += std::string("  ") + named.name + " " +
                  (value < 0 ? "?" : CliText(value != 0 ? Text::On : Text::Off));
    }
    console.Result(states);
    session.ReportTraceEnd(line.Trace());
    return ExitStatus::Ok;
}

}  // namespace brelko::cli
