// Where the tool's words go: results on standard output, failures and
// warnings as single lines on standard error, progress on standard error.
#pragma once

#include <cstdio>
#include <string>

#include "cli/Progress.h"

namespace brelko::cli {

class Console {
public:
    Console(std::FILE* out, std::FILE* err, bool quiet);

    // A result line (identify, ports, arc list): always printed.
    void Result(const std::string& line);
    // A report of what was done ("Saved ..."): not with --quiet.
    void Info(const std::string& line);
    // One failure or warning line on standard error.
    void Error(const std::string& line);

    ProgressReporter& Progress() { return m_progress; }
    bool Quiet() const { return m_quiet; }

private:
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_quiet;
    ProgressReporter m_progress;
};

}  // namespace brelko::cli
