// The options every command shares, as the command line gave them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#if BRELKO_CLI_SIMULATOR
#include "sim/SimOptions.h"
#endif

namespace brelko::cli {

struct GlobalOptions {
    std::optional<int> port;             // --port N: COM number
    std::string device;                  // --device PATH: any tty
    std::string ini;                     // --ini FILE
#if BRELKO_CLI_SIMULATOR
    SimulatorOptions sim;                // --simulate[=PRESET], --sim-*: Linux only, it plays on a pty
#endif
    std::optional<double> timeout;       // --timeout SECONDS: reception silence limit
    std::string lang;                    // --lang en|da
    std::string trace;                   // --trace FILE: record the line
    bool quiet = false;
};

// The options of restore and send-language.
struct SendOptions {
    bool force = false;         // --force: send a file the check refuses
    bool noSafetyCopy = false;  // --no-safety-copy (restore)
    std::string safetyDir;      // --safety-dir DIR (restore; empty: safety/ beside the file)
};

// The value of "--name VALUE" or "--name=VALUE" before the command line is
// parsed in full (the language and the settings file are needed for --help).
std::optional<std::string> PeekOption(const std::vector<std::string>& args, const std::string& name);

}  // namespace brelko::cli
