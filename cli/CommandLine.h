// The command line of brelko-cli: its commands, options and help in the
// user's language (English or Danish), and every parse error in plain words.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/Options.h"

namespace CLI {
class ParseError;
}

namespace brelko::cli {

// What the command line asked for.
struct CommandLine {
    GlobalOptions options;
    std::string command;  // "identify", "backup", ..., "arc list", "arc extract"
    std::string file, in, out, archive, destination = ".";
    bool serviceData = false;
    SendOptions send;
    std::vector<std::string> diffFiles;
    bool diffSystem = false;
};

// The commands in the order --help lists them ("arc" for both of its own).
const std::vector<std::string>& CommandNames();

// Parses the arguments (argv[0] first). Help and the version are printed on
// standard output and end the program with 0; a bad command line is told on
// standard error and ends it with the usage status. Returns the status to
// end with then, nothing when the command is to run.
std::optional<int> ParseCommandLine(const std::vector<std::string>& args, CommandLine& line);

// The error of the parser in the user's words ("--port needs a value").
// `unexpected` are the arguments left over; `inArc` says whether the arc
// command was given.
std::string ParseErrorText(const CLI::ParseError& error, const std::vector<std::string>& unexpected, bool inArc);

// "unknown command X; commands are: identify, backup, ..."
std::string UnknownCommandText(const std::string& word);

// --timeout: seconds from 1 to 3600; false with the reason otherwise.
bool CheckTimeout(const std::string& text, std::string* reason);

}  // namespace brelko::cli
