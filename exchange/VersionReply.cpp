#include "exchange/VersionReply.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace brelko {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSpace(text[i])) ++i;
        std::size_t start = i;
        while (i < text.size() && !IsSpace(text[i])) ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

}  // namespace

int VersionNumber(int major, int minor, unsigned char letter) {
    // Unsigned arithmetic wraps like the 32-bit original and has no undefined
    // overflow; the letter term is always 0..255.
    std::uint32_t n = static_cast<std::uint32_t>(major) * 100001u + static_cast<std::uint32_t>(minor) * 1001u +
                      static_cast<std::uint8_t>(letter - 64);
    return static_cast<int>(n);
}

bool ParseVersionText(std::string_view text, int* number) {
    // A bounded copy: the words are short, and sscanf needs a terminated string.
    char buffer[kMaxVersionWordLength + 1] = {};
    if (text.size() > kMaxVersionWordLength) text = text.substr(0, kMaxVersionWordLength);
    text.copy(buffer, text.size());
    int major = 0, minor = 0;
    char letter = 0;
    // Seven characters hold at most seven digits, so %d cannot overflow.
    if (std::sscanf(buffer, "%d.%d.%c", &major, &minor, &letter) != 3) return false;
    *number = VersionNumber(major, minor, static_cast<unsigned char>(letter));
    return true;
}

bool IsVersionText(std::string_view text) {
    auto digits = [&text](std::size_t& i) {
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        return i > start;
    };
    std::size_t i = 0;
    if (!digits(i) || i >= text.size() || text[i++] != '.') return false;
    if (!digits(i) || i >= text.size() || text[i++] != '.') return false;
    if (i + 1 != text.size()) return false;
    const char letter = text[i];
    return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

VersionReply ParseVersionReply(std::string_view reply) {
    VersionReply result;
    std::vector<std::string_view> words = SplitWords(reply);
    if (!words.empty()) result.product = std::string(words[0].substr(0, kMaxProductLength));
    if (words.size() >= 2) {
        std::string_view version = words.size() >= 3 ? words[2] : words[1];
        result.readable = IsVersionText(version);
        result.version = std::string(version.substr(0, kMaxVersionWordLength));
        int number = 0;
        if (ParseVersionText(result.version, &number)) result.number = number;
    }
    return result;
}

std::string TrimTrailingSpace(std::string_view line) {
    std::size_t end = line.size();
    while (end > 0 && IsSpace(line[end - 1])) --end;
    return std::string(line.substr(0, end));
}

}  // namespace brelko
