// A line-based comparison of two backups (or any two texts), for the
// command line's unified difference and for a window that shows the
// difference with the changed lines marked.
//
//   TextDiff diff(systemBytes, fileBytes);          // 3 lines of context
//   if (!diff.Equal()) std::cout << diff.Unified("vision system", "line3.asc");
//
//   TextDiff whole(systemBytes, fileBytes, TextDiff::WHOLE_TEXT);
//   for (const DiffLine& line : whole.Hunks()[0].lines)   // every line, marked
//       Show(line.kind, DisplayText(line));
//
// Lines are compared with their line ends, so a file with CR LF and one
// with LF differ on every line; the line ends are then shown on both sides,
// and only where they differ.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace brelko {

enum class LineEnd : std::uint8_t {
    None,  // the last line of a text that does not end in a line feed
    Lf,
    CrLf,
};

struct TextLine {
    std::string text;  // without its line end
    LineEnd end = LineEnd::Lf;
    bool operator==(const TextLine&) const = default;
};

// The lines of a text: each ends at a LF (a CR right before it makes it
// CR LF); bytes after the last LF form a last line with no end. An empty
// text has no lines.
std::vector<TextLine> SplitLines(std::string_view bytes);

enum class DiffKind : std::uint8_t {
    Same,     // in both texts
    Removed,  // only in the old text
    Added,    // only in the new text
};

struct DiffLine {
    DiffKind kind = DiffKind::Same;
    TextLine line;
    std::size_t oldNumber = 0;  // 1-based line of the old text; 0 for an added line
    std::size_t newNumber = 0;  // 1-based line of the new text; 0 for a removed line
    // A removed line and the added line that replaces it have different
    // line ends: show them.
    bool showEnd = false;
};

struct DiffHunk {
    // As a unified difference counts them: the first line of each side and
    // how many lines of it the hunk covers.
    std::size_t oldStart = 0;
    std::size_t oldCount = 0;
    std::size_t newStart = 0;
    std::size_t newCount = 0;
    std::vector<DiffLine> lines;
};

class TextDiff {
public:
    // All of both texts in one hunk (when they differ at all).
    static constexpr std::size_t WHOLE_TEXT = std::numeric_limits<std::size_t>::max();

    // `context`: unchanged lines kept around each change; changes closer
    // than twice that share a hunk.
    TextDiff(std::string_view oldBytes, std::string_view newBytes, std::size_t context = 3);

    bool Equal() const { return m_hunks.empty(); }
    const std::vector<DiffHunk>& Hunks() const { return m_hunks; }
    std::size_t RemovedCount() const { return m_nRemoved; }
    std::size_t AddedCount() const { return m_nAdded; }

    // The unified difference with "---"/"+++" headers and "@@" hunk lines;
    // empty when the texts are equal. A last line without a line end is
    // followed by "\ No newline at end of file".
    std::string Unified(const std::string& oldLabel, const std::string& newLabel) const;

private:
    std::vector<DiffHunk> m_hunks;
    std::size_t m_nRemoved = 0;
    std::size_t m_nAdded = 0;
};

// The line for display: control bytes as <XX> in hex (a tab stays), and,
// where showEnd is set, the line end as <CR><LF> or <LF>.
std::string DisplayText(const DiffLine& line);

}  // namespace brelko
