#include "cli/ExitStatus.h"

#include <cstdio>

#include "cli/CliText.h"

namespace brelko::cli {

ExitStatus ExitStatusForState(const LineState& state) {
    // The same order as the status window's state line: the first flag that
    // is off names the problem.
    if (!state.portOpen) return ExitStatus::PortOpen;
    if (!state.contact) return ExitStatus::NoContact;
    if (!state.rightPort) return ExitStatus::WrongPort;
    if (!state.knownSystem) return ExitStatus::UnknownSystem;
    if (!state.ready) return ExitStatus::WrongPort;  // no echo on the last request
    return ExitStatus::Ok;
}

std::vector<ExitStatusRow> ExitStatusTable() {
    return {
        {ExitStatus::Ok, CliText(Text::ExitOk)},
        {ExitStatus::Failure, CliText(Text::ExitFailure)},
        {ExitStatus::Usage, CliText(Text::ExitUsage)},
        {ExitStatus::PortOpen, CliText(Text::ExitPortOpen)},
        {ExitStatus::NoContact, CliText(Text::ExitNoContact)},
        {ExitStatus::WrongPort, CliText(Text::ExitWrongPort)},
        {ExitStatus::UnknownSystem, CliText(Text::ExitUnknownSystem)},
        {ExitStatus::ReceiveError, CliText(Text::ExitReceiveError)},
        {ExitStatus::SendError, CliText(Text::ExitSendError)},
        {ExitStatus::ChecksumError, CliText(Text::ExitChecksumError)},
        {ExitStatus::BadFile, CliText(Text::ExitBadFile)},
        {ExitStatus::WriteError, CliText(Text::ExitWriteError)},
        {ExitStatus::Cancelled, CliText(Text::ExitCancelled)},
    };
}

std::string ExitStatusTableText() {
    std::string out;
    for (const ExitStatusRow& row : ExitStatusTable()) {
        char number[16];
        std::snprintf(number, sizeof number, "  %3d  ", ToInt(row.status));
        out += number;
        out += row.text;
        out += '\n';
    }
    return out;
}

}  // namespace brelko::cli
