// Reads a trace file back into the bytes it records, independently of the
// trace's own formatting code: a line is "DATE TIME > TEXT" or "... < TEXT",
// where <XX> stands for one byte in hex; "#" lines are notes.
#pragma once

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace brelko::test {

struct TraceEntry {
    bool note = false;
    char direction = 0;     // '>' sent, '<' received; 0 for a note
    std::string time;       // "2025-01-14 10:23:45.120"
    std::string bytes;      // decoded; for a note its text
    bool wellFormed = true;
};

inline std::string DecodeTraceText(const std::string& text, bool* ok) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '<') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 3 >= text.size() || text[i + 3] != '>') {
            *ok = false;
            return out;
        }
        char* end = nullptr;
        const std::string hex = text.substr(i + 1, 2);
        const long value = std::strtol(hex.c_str(), &end, 16);
        if (*end != '\0') *ok = false;
        out.push_back(static_cast<char>(value));
        i += 3;
    }
    return out;
}

inline std::vector<TraceEntry> ReadTrace(const std::string& path) {
    std::vector<TraceEntry> entries;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        TraceEntry entry;
        if (!line.empty() && line[0] == '#') {
            entry.note = true;
            entry.time = line.size() > 25 ? line.substr(2, 23) : "";
            entry.bytes = line.size() > 26 ? line.substr(26) : "";
            entries.push_back(entry);
            continue;
        }
        // "YYYY-MM-DD HH:MM:SS.mmm D TEXT": 23 characters of time.
        if (line.size() < 26 || line[23] != ' ' || line[25] != ' ' || (line[24] != '>' && line[24] != '<')) {
            entry.wellFormed = false;
            entry.bytes = line;
            entries.push_back(entry);
            continue;
        }
        entry.time = line.substr(0, 23);
        entry.direction = line[24];
        entry.bytes = DecodeTraceText(line.substr(26), &entry.wellFormed);
        entries.push_back(entry);
    }
    return entries;
}

// Every byte of one direction, in order.
inline std::string TraceStream(const std::vector<TraceEntry>& entries, char direction) {
    std::string out;
    for (const TraceEntry& e : entries)
        if (!e.note && e.direction == direction) out += e.bytes;
    return out;
}

}  // namespace brelko::test
