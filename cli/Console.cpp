#include "Console.h"

namespace brelko::cli {

Console::Console(std::FILE* out, std::FILE* err, bool quiet)
    : m_out(out), m_err(err), m_quiet(quiet), m_progress(err, ProgressReporter::ModeFor(err, quiet)) {}

void Console::Result(const std::string& line) {
    m_progress.Finish();
    std::fputs(line.c_str(), m_out);
    if (line.empty() || line.back() != '\n') std::fputc('\n', m_out);
    std::fflush(m_out);
}

void Console::Info(const std::string& line) {
    if (m_quiet) return;
    Result(line);
}

void Console::Error(const std::string& line) {
    m_progress.Finish();
    std::fflush(m_out);
    std::fputs(line.c_str(), m_err);
    if (line.empty() || line.back() != '\n') std::fputc('\n', m_err);
    std::fflush(m_err);
}

}  // namespace brelko::cli
