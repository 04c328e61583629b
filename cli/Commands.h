// The commands of brelko-cli. Each returns the exit status it ends with and
// reports through the console; none throws.
#pragma once

#include <string>

#include "cli/Console.h"
#include "cli/ExitStatus.h"
#include "cli/Options.h"

namespace brelko::cli {

// Serial devices of this machine with their COM numbers.
ExitStatus RunPorts(const GlobalOptions& options, Console& console);
// Opens the configured port and prints its six-line status dump and line states.
ExitStatus RunPortStatus(const GlobalOptions& options, Console& console);

// Device commands: connect, identify, run the transfer, clear and identify again.
ExitStatus RunIdentify(const GlobalOptions& options, Console& console);
ExitStatus RunBackup(const GlobalOptions& options, Console& console, const std::string& file, bool serviceData);
ExitStatus RunRestore(const GlobalOptions& options, Console& console, const std::string& file,
                      const SendOptions& send);
ExitStatus RunGetMenu(const GlobalOptions& options, Console& console, const std::string& file);
ExitStatus RunGetLanguage(const GlobalOptions& options, Console& console, const std::string& file);
ExitStatus RunSendLanguage(const GlobalOptions& options, Console& console, const std::string& file,
                           const SendOptions& send);
ExitStatus RunGetPicture(const GlobalOptions& options, Console& console, const std::string& file);

// A unified difference of two backups (Ok equal, Different otherwise).
ExitStatus RunDiff(Console& console, const std::string& oldFile, const std::string& newFile);
// What a restore of `file` would change: the system's settings (a backup
// into memory) against the file.
ExitStatus RunDiffSystem(const GlobalOptions& options, Console& console, const std::string& file, bool serviceData);

// Files only.
ExitStatus RunConvert(Console& console, const std::string& in, const std::string& out);
ExitStatus RunArcList(Console& console, const std::string& archive);
ExitStatus RunArcExtract(Console& console, const std::string& archive, const std::string& destination);

// The simulator presets and fault switches, for --help.
#if BRELKO_CLI_SIMULATOR
std::string SimulatorHelp();
#endif

}  // namespace brelko::cli
