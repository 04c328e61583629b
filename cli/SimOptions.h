// The simulator's settings from the command line: the preset and the fault
// switches of --sim-fault NAME[=VALUE].
#pragma once

#include <string>

#include "Options.h"
#include "SimConfig.h"

namespace brelko::cli {

// One fault switch into `faults`; false with a reason for an unknown name or
// a bad value.
bool ApplySimFault(const std::string& text, SimFaults& faults, std::string* error);

// The whole simulator configuration; false with a reason.
bool MakeSimConfig(const GlobalOptions& options, SimConfig& config, std::string* error);

// The fault names with their values, one line each, for --help.
std::string SimFaultHelp();

}  // namespace brelko::cli
