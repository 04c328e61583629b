#include "compare/TextDiff.h"

#include <dtl/dtl.hpp>

#include <algorithm>

namespace brelko {

namespace {

std::string_view EndBytes(LineEnd end) {
    switch (end) {
    case LineEnd::Lf: return "\n";
    case LineEnd::CrLf: return "\r\n";
    case LineEnd::None: break;
    }
    return "";
}

// Removed lines followed by the added lines that take their place: the
// i-th of each pair up, and where only their ends differ the ends are shown.
void MarkDifferentEnds(std::vector<DiffLine>& lines) {
    std::size_t i = 0;
    while (i < lines.size()) {
        if (lines[i].kind != DiffKind::Removed) {
            ++i;
            continue;
        }
        const std::size_t removedBegin = i;
        while (i < lines.size() && lines[i].kind == DiffKind::Removed) ++i;
        const std::size_t addedBegin = i;
        while (i < lines.size() && lines[i].kind == DiffKind::Added) ++i;
        const std::size_t pairs = std::min(addedBegin - removedBegin, i - addedBegin);
        for (std::size_t k = 0; k < pairs; ++k) {
            DiffLine& removed = lines[removedBegin + k];
            DiffLine& added = lines[addedBegin + k];
            if (removed.line.end != added.line.end) removed.showEnd = added.showEnd = true;
        }
    }
}

// "a,b" of a hunk line; one line is "a" alone, and an empty side names the
// line before it, as diff does.
std::string Range(std::size_t start, std::size_t count) {
    if (count == 1) return std::to_string(start);
    return std::to_string(count == 0 ? start - 1 : start) + "," + std::to_string(count);
}

}  // namespace

std::vector<TextLine> SplitLines(std::string_view bytes) {
    std::vector<TextLine> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.push_back(TextLine{std::string(bytes.substr(start)), LineEnd::None});
            break;
        }
        const bool cr = lf > start && bytes[lf - 1] == '\r';
        lines.push_back(
            TextLine{std::string(bytes.substr(start, lf - start - (cr ? 1 : 0))), cr ? LineEnd::CrLf : LineEnd::Lf});
        start = lf + 1;
    }
    return lines;
}

TextDiff::TextDiff(std::string_view oldBytes, std::string_view newBytes, std::size_t context) {
    const std::vector<TextLine> oldLines = SplitLines(oldBytes);
    const std::vector<TextLine> newLines = SplitLines(newBytes);
    // The diff runs on each line's own bytes, line end included.
    auto raw = [](const std::vector<TextLine>& lines) {
        std::vector<std::string> out;
        out.reserve(lines.size());
        for (const TextLine& line : lines) out.push_back(line.text + std::string(EndBytes(line.end)));
        return out;
    };
    dtl::Diff<std::string> diff(raw(oldLines), raw(newLines), true);
    if (oldLines.size() + newLines.size() > 20000) diff.enableHuge();
    diff.compose();

    // Every line of both texts in order, numbered on each side.
    std::vector<DiffLine> all;
    std::size_t oldNumber = 0;
    std::size_t newNumber = 0;
    for (const auto& [element, info] : diff.getSes().getSequence()) {
        (void)element;
        DiffLine line;
        if (info.type == dtl::SES_COMMON) {
            line.kind = DiffKind::Same;
            line.line = oldLines[oldNumber];
            line.oldNumber = ++oldNumber;
            line.newNumber = ++newNumber;
        } else if (info.type == dtl::SES_DELETE) {
            line.kind = DiffKind::Removed;
            line.line = oldLines[oldNumber];
            line.oldNumber = ++oldNumber;
            ++m_nRemoved;
        } else {
            line.kind = DiffKind::Added;
            line.line = newLines[newNumber];
            line.newNumber = ++newNumber;
            ++m_nAdded;
        }
        all.push_back(std::move(line));
    }
    if (m_nRemoved == 0 && m_nAdded == 0) return;
    MarkDifferentEnds(all);

    // The stretches to show: each change with `context` lines around it,
    // stretches that touch or overlap joined.
    std::vector<std::pair<std::size_t, std::size_t>> stretches;  // [begin, end)
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].kind == DiffKind::Same) continue;
        const std::size_t begin = context == WHOLE_TEXT ? 0 : (i > context ? i - context : 0);
        const std::size_t end = context == WHOLE_TEXT ? all.size() : std::min(all.size(), i + 1 + context);
        if (!stretches.empty() && begin <= stretches.back().second)
            stretches.back().second = std::max(stretches.back().second, end);
        else
            stretches.emplace_back(begin, end);
    }

    // Lines of each side before every position, for the hunks' starts.
    std::vector<std::size_t> oldBefore(all.size() + 1, 0);
    std::vector<std::size_t> newBefore(all.size() + 1, 0);
    for (std::size_t i = 0; i < all.size(); ++i) {
        oldBefore[i + 1] = oldBefore[i] + (all[i].kind != DiffKind::Added ? 1 : 0);
        newBefore[i + 1] = newBefore[i] + (all[i].kind != DiffKind::Removed ? 1 : 0);
    }
    for (const auto& [begin, end] : stretches) {
        DiffHunk hunk;
        hunk.oldStart = oldBefore[begin] + 1;
        hunk.newStart = newBefore[begin] + 1;
        hunk.oldCount = oldBefore[end] - oldBefore[begin];
        hunk.newCount = newBefore[end] - newBefore[begin];
        hunk.lines.assign(all.begin() + static_cast<std::ptrdiff_t>(begin), all.begin() + static_cast<std::ptrdiff_t>(end));
        m_hunks.push_back(std::move(hunk));
    }
}

std::string TextDiff::Unified(const std::string& oldLabel, const std::string& newLabel) const {
    if (Equal()) return {};
    std::string out = "--- " + oldLabel + "\n+++ " + newLabel + "\n";
    for (const DiffHunk& hunk : m_hunks) {
        out += "@@ -" + Range(hunk.oldStart, hunk.oldCount) + " +" + Range(hunk.newStart, hunk.newCount) + " @@\n";
        for (const DiffLine& line : hunk.lines) {
            out += line.kind == DiffKind::Same ? ' ' : line.kind == DiffKind::Removed ? '-' : '+';
            out += DisplayText(line);
            out += '\n';
            if (line.line.end == LineEnd::None) out += "\\ No newline at end of file\n";
        }
    }
    return out;
}

std::string DisplayText(const DiffLine& line) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(line.line.text.size() + 8);
    for (const char c : line.line.text) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t') || b == 0x7F) {
            out += '<';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
            out += '>';
        } else {
            out += c;
        }
    }
    if (line.showEnd) {
        if (line.line.end == LineEnd::CrLf) out += "<CR><LF>";
        if (line.line.end == LineEnd::Lf) out += "<LF>";
    }
    return out;
}

}  // namespace brelko
