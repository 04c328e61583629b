#include "cli/Progress.h"

#include <algorithm>

#include "cli/ConsoleSystem.h"
#include "exchange/ProgressText.h"
#include "res/ResourceIds.h"

namespace brelko::cli {

namespace {

// The status window shows these texts on separate lines; here they share one.
std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "  ";
        else
            out += c;
    }
    return out;
}

}  // namespace

std::string ProgressText(Direction direction, std::uint64_t bytes, std::uint64_t total) {
    const unsigned label = direction == Direction::Receiving ? IDS_BYTES_RECEIVED : IDS_BYTES_SENT;
    return OneLine(FormatProgress(label, bytes, total));
}

std::string ProgressBar(std::uint64_t bytes, std::uint64_t total, int width) {
    if (total == 0 || width <= 0) return {};
    const std::uint64_t done = std::min(bytes, total);
    const auto filled = static_cast<int>(done * static_cast<std::uint64_t>(width) / total);
    const auto percent = static_cast<int>(done * 100 / total);
    std::string bar = "[";
    bar.append(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), '.');
    bar += "] ";
    char pct[8];
    std::snprintf(pct, sizeof pct, "%3d%%", percent);
    return bar + pct;
}

std::string ProgressBarLine(Direction direction, std::uint64_t bytes, std::uint64_t total, int columns) {
    std::string line = ProgressText(direction, bytes, total);
    // UTF-8 continuation bytes take no column ("Bytes modtaget" is ASCII, but
    // a language library may not be).
    auto width = [](const std::string& text) {
        int n = 0;
        for (unsigned char c : text) n += (c & 0xC0) != 0x80;
        return n;
    };
    const int room = columns - 1 - width(line) - 2 - 7;  // "  [" ... "] 100%"
    if (total != 0 && room >= 10) line += "  " + ProgressBar(bytes, total, room < 24 ? room : 24);
    while (!line.empty() && width(line) > columns - 1) {
        // One whole character off the end: its continuation bytes, then its first byte.
        while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80) line.pop_back();
        if (!line.empty()) line.pop_back();
    }
    return line;
}

ProgressReporter::Mode ProgressReporter::ModeFor(std::FILE* out, bool quiet) {
    if (quiet || out == nullptr) return Mode::Off;
    return IsTerminal(out) ? Mode::Bar : Mode::Lines;
}

ProgressReporter::ProgressReporter(std::FILE* out, Mode mode, std::chrono::milliseconds lineInterval,
                                   std::chrono::milliseconds barInterval)
    : m_out(out), m_mode(mode), m_lineInterval(lineInterval), m_barInterval(barInterval) {
    if (m_mode == Mode::Bar) {
        if (const int columns = TerminalColumns(out); columns > 0) m_columns = columns;
    }
}

ProgressReporter::~ProgressReporter() { Finish(); }

void ProgressReporter::PrintLine(const std::string& text) { WriteText(m_out, text + "\n"); }

void ProgressReporter::DrawBar() {
    // \r and erase-to-end: the bar redraws in place however long it was.
    WriteText(m_out, "\r" + ProgressBarLine(m_direction, m_bytes, m_total, m_columns) + "\033[K");
    m_lastBar = std::chrono::steady_clock::now();
    m_barShown = true;
    m_pending = false;
}

void ProgressReporter::State(const std::string& text) {
    if (m_mode == Mode::Off || text.empty() || text == m_lastState) return;
    Finish();
    m_lastState = text;
    PrintLine(text);
}

void ProgressReporter::Update(Direction direction, std::uint64_t bytes, std::uint64_t total) {
    if (m_mode == Mode::Off) return;
    m_direction = direction;
    m_bytes = bytes;
    m_total = total;
    const auto now = std::chrono::steady_clock::now();
    if (m_mode == Mode::Bar) {
        if (!m_barShown || now - m_lastBar >= m_barInterval) DrawBar();
        else m_pending = true;
        return;
    }
    if (m_lastLine.time_since_epoch().count() == 0 || now - m_lastLine >= m_lineInterval) {
        m_lastLine = now;
        m_pending = false;
        PrintLine(ProgressText(direction, bytes, total));
    } else {
        m_pending = true;
    }
}

void ProgressReporter::Finish() {
    if (m_mode == Mode::Bar && m_barShown) {
        if (m_pending) DrawBar();
        WriteText(m_out, "\n");
        m_barShown = false;
    } else if (m_mode == Mode::Lines && m_pending) {
        m_pending = false;
        PrintLine(ProgressText(m_direction, m_bytes, m_total));
    }
    m_lastLine = {};
}

void ProgressReporter::Interrupt() {
    if (m_mode == Mode::Bar && m_barShown) {
        WriteText(m_out, "\r\033[K");
        m_barShown = false;
        m_pending = false;
    }
}

}  // namespace brelko::cli
