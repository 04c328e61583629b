// Progress of a transfer on standard error: a bar that redraws itself in place
// when standard error is a terminal, plain lines now and then otherwise (logs,
// cron mail). The words are the status window's (bytes received or sent, of
// total, seconds left).
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace brelko::cli {

enum class Direction { Receiving, Sending };

// The status window's progress text on one line: "Bytes received: 001500",
// then, when the total is known, "  Of Total :    003632  Seconds left 2".
std::string ProgressText(Direction direction, std::uint64_t bytes, std::uint64_t total);

// A bar of `width` cells ("[#####.....]  41%"); empty when the total is unknown.
std::string ProgressBar(std::uint64_t bytes, std::uint64_t total, int width);

// The line a terminal of `columns` columns shows: the text and, where room
// is left, a bar of at most 24 cells. Never as wide as the terminal, so the
// carriage return that redraws it stays on its line.
std::string ProgressBarLine(Direction direction, std::uint64_t bytes, std::uint64_t total, int columns);

class ProgressReporter {
public:
    enum class Mode { Off, Bar, Lines };

    // Bar when `out` is a terminal, Lines otherwise; Off when quiet.
    static Mode ModeFor(std::FILE* out, bool quiet);

    // A bar is redrawn at most every barInterval (a slow console spent most
    // of a backup redrawing it), lines are printed every lineInterval; the
    // last value always shows when the transfer ends.
    ProgressReporter(std::FILE* out, Mode mode,
                     std::chrono::milliseconds lineInterval = std::chrono::seconds(5),
                     std::chrono::milliseconds barInterval = std::chrono::milliseconds(100));
    ~ProgressReporter();

    // A state text ("Recieving data", "Clearing System buffer"): printed as
    // its own line, ending a bar in progress.
    void State(const std::string& text);
    void Update(Direction direction, std::uint64_t bytes, std::uint64_t total);
    // Ends a bar in progress with its last value and a line feed; a plain
    // line for the last value in Lines mode.
    void Finish();
    // Clears a bar before an error line is printed, so the two do not mix.
    void Interrupt();

private:
    void PrintLine(const std::string& text);
    void DrawBar();

    std::FILE* m_out;
    Mode m_mode;
    std::chrono::milliseconds m_lineInterval;
    std::chrono::milliseconds m_barInterval;
    std::chrono::steady_clock::time_point m_lastLine{};
    std::chrono::steady_clock::time_point m_lastBar{};
    bool m_barShown = false;
    bool m_pending = false;  // a value not yet printed in Lines mode
    Direction m_direction = Direction::Receiving;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_total = 0;
    std::string m_lastState;
    int m_columns = 80;
};

}  // namespace brelko::cli
