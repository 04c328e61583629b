// The options every command shares, as the command line gave them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brelko::cli {

struct GlobalOptions {
    std::optional<int> port;             // --port N: COM number
    std::string device;                  // --device PATH: any tty
    std::string ini;                     // --ini FILE
    std::optional<std::string> simulate; // --simulate[=PRESET]
    std::vector<std::string> simFaults;  // --sim-fault NAME[=VALUE]
    std::string simPicture;              // --sim-picture FILE.mtx
    std::string simForm;                 // --sim-form raw|archive
    int simBits = 0;                     // --sim-bits 8|16
    long simBaud = 0;                    // --sim-baud N (0: as fast as the pty goes)
    double simRestart = 3;               // --sim-restart SECONDS
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
