#include "cli/Console.h"

#include "cli/ConsoleSystem.h"

namespace brelko::cli {

Console::Console(std::FILE* out, std::FILE* err, bool quiet)
    : m_out(out), m_err(err), m_quiet(quiet), m_progress(err, ProgressReporter::ModeFor(err, quiet)) {}

void Console::Result(const std::string& line) {
    m_progress.Finish();
    WriteText(m_out, line.empty() || line.back() != '\n' ? line + "\n" : line);
}

void Console::Info(const std::string& line) {
    if (m_quiet) return;
    Result(line);
}

void Console::Error(const std::string& line) {
    m_progress.Finish();
    std::fflush(m_out);
    WriteText(m_err, line.empty() || line.back() != '\n' ? line + "\n" : line);
}

}  // namespace brelko::cli
