// The simulated vision system inside this process, on a pseudo-terminal, for
// --simulate: the device commands and the window then run end to end
// without hardware.
#pragma once

#include <memory>
#include <string>

#include "sim/SimOptions.h"

namespace brelko {

class SimulatorRunner {
public:
    // Starts the simulator the options describe; null with a reason, and
    // *badOptions set when the options themselves are wrong (a usage error).
    static std::unique_ptr<SimulatorRunner> Start(const SimulatorOptions& options, std::string* error,
                                                  bool* badOptions);
    virtual ~SimulatorRunner() = default;

    // The terminal device the device line opens.
    virtual std::string DevicePath() const = 0;
    // "simulator tz410-3.2.E (/dev/pts/7)".
    virtual std::string Label() const = 0;
};

// The presets with their descriptions, for --help.
std::string SimulatorPresetHelp();

}  // namespace brelko
