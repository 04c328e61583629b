// The connection a device command runs over: the port the options choose
// (--device, --port, the settings file, or the in-process simulator), the
// device line on it, and Ctrl+C wired to the line's cancel request.
#pragma once

#include <memory>
#include <string>

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Options.h"

namespace brelko {
class CDeviceLine;
class LineTrace;
class SimulatorRunner;
}

namespace brelko::cli {

class DeviceSession {
public:
    DeviceSession(const GlobalOptions& options, Console& console);
    ~DeviceSession();  // stops the simulator, clears the device override
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Starts the simulator when asked and points the port at the device the
    // options name. Reports a failure itself and returns its status.
    ExitStatus Prepare();

    // "COM3 (/dev/ttyS2)", "/dev/ttyUSB0" or "simulator tz410-3.2.E (/dev/pts/7)".
    std::string PortLabel() const;
    // The device that will be opened.
    std::string DevicePath() const;

    // Starts the line's trace when --trace asks for one ("-": standard
    // output). Reports a failure itself (the file cannot be written, or is
    // a FIFO, device or folder) and returns its status.
    ExitStatus StartTrace(CDeviceLine& line);
    // Stops the trace, so that all of it is written, and warns when it
    // stopped on a write failure midway or left bytes out.
    void ReportTraceEnd(LineTrace& trace);

    // "Unable to Open COM Port!: <the system's reason>", for a failed Reopen.
    std::string OpenFailureText(const CDeviceLine& line) const;

#if BRELKO_CLI_SIMULATOR
    SimulatorRunner* Simulator() const { return m_simulator.get(); }
#endif

private:
    const GlobalOptions& m_options;
    Console& m_console;
#if BRELKO_CLI_SIMULATOR
    std::unique_ptr<SimulatorRunner> m_simulator;  // Linux only: it plays on a pty
#endif
    std::string m_device;
    int m_comNumber = 0;
};

// Runs `fn` with standard output sent to /dev/null: the device line's Reopen
// writes its handshake diagnostic there, which would mix with the results.
template <typename Fn>
auto WithoutStdout(Fn&& fn) -> decltype(fn());

// Implementation detail of WithoutStdout.
class StdoutSilencer {
public:
    StdoutSilencer();
    ~StdoutSilencer();
    StdoutSilencer(const StdoutSilencer&) = delete;
    StdoutSilencer& operator=(const StdoutSilencer&) = delete;

private:
    int m_saved = -1;
};

template <typename Fn>
auto WithoutStdout(Fn&& fn) -> decltype(fn()) {
    StdoutSilencer silencer;
    return fn();
}

}  // namespace brelko::cli
