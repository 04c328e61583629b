// The exit statuses of brelko-cli: one distinct, documented number for every
// way a command can end, so that scripts and cron jobs can tell them apart.
#pragma once

#include <string>
#include <vector>

namespace brelko::cli {

enum class ExitStatus : int {
    Ok = 0,
    Failure = 1,         // anything not listed below (for example an internal error)
    Usage = 2,           // bad command line
    PortOpen = 3,        // the port cannot be opened (the system's reason is printed)
    NoContact = 4,       // CTS is off: no cable, system off, wrong port on this machine
    WrongPort = 5,       // no echo: the wrong port, or a line fault that spoilt the echo
    UnknownSystem = 6,   // both version requests refused, or no version in the reply that can be read
    ReceiveError = 7,    // reception failed or ended with line errors
    SendError = 8,       // sending stalled
    ChecksumError = 9,   // picture checksum mismatch; the picture is saved all the same
    BadFile = 10,        // an input file is missing, unreadable or not of its kind
    WriteError = 11,     // the output file cannot be written
    Cancelled = 130,     // Ctrl+C (or SIGTERM): the transfer was cancelled
    // diff only, as diff(1) has it: the texts differ. diff never ends with
    // Failure, so the two cannot be confused.
    Different = 1,
};

constexpr int ToInt(ExitStatus status) { return static_cast<int>(status); }

// The connection state as the device line's flags give it, first failing flag
// first; maps to the status a command ends with when it cannot start.
struct LineState {
    bool portOpen = false;
    bool contact = false;
    bool rightPort = false;
    bool knownSystem = false;
    bool ready = false;
};
ExitStatus ExitStatusForState(const LineState& state);

struct ExitStatusRow {
    ExitStatus status;
    std::string text;  // in the user's language
};
// Every status with its meaning, in numeric order, for --help and the README.
std::vector<ExitStatusRow> ExitStatusTable();
// The table as aligned text lines ("  0  ok").
std::string ExitStatusTableText();

}  // namespace brelko::cli
