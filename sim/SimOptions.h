// The simulator's settings as a front end's command line gives them: the
// preset, the fault switches of --sim-fault NAME[=VALUE] and the picture.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/SimConfig.h"

namespace brelko {

struct SimulatorOptions {
    std::optional<std::string> simulate; // --simulate[=PRESET]
    std::vector<std::string> simFaults;  // --sim-fault NAME[=VALUE]
    std::string simPicture;              // --sim-picture FILE.mtx
    std::string simForm;                 // --sim-form raw|archive
    int simBits = 0;                     // --sim-bits 8|16
    long simBaud = 0;                    // --sim-baud N (0: as fast as the pty goes)
    double simRestart = 3;               // --sim-restart SECONDS
};

// The arguments with a bare "--simulate" made "--simulate=<default preset>":
// the option takes its preset only as "--simulate=PRESET", so that
// "--simulate identify" keeps identify as the command.
std::vector<std::string> NormaliseArguments(int argc, const char* const* argv);

// One fault switch into `faults`; false with a reason for an unknown name or
// a bad value.
bool ApplySimFault(const std::string& text, SimFaults& faults, std::string* error);

// The whole simulator configuration; false with a reason.
bool MakeSimConfig(const SimulatorOptions& options, SimConfig& config, std::string* error);

// The fault names with their values, one line each, for --help.
std::string SimFaultHelp();

}  // namespace brelko
