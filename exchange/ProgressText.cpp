#include "ProgressText.h"

#include <cstdio>
#include <vector>

#include "CStatusView.h"
#include "ResourceIds.h"
#include "Strings.h"

namespace brelko {
namespace {

std::string SixDigits(std::uint64_t n) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%06llu", static_cast<unsigned long long>(n));
    return digits;
}

// "lines 4, 17, 90": at most a screen line of numbers.
std::string LineList(const std::vector<int>& lines) {
    constexpr std::size_t kShown = 20;
    std::string list;
    for (std::size_t i = 0; i < lines.size() && i < kShown; ++i) {
        if (i) list += ", ";
        list += std::to_string(lines[i]);
    }
    if (lines.size() > kShown) list += ", ...";
    return Percent(LoadString(lines.size() == 1 ? IDS_LANGUAGE_LINE : IDS_LANGUAGE_LINES), 1, list);
}

}  // namespace

std::string Percent(std::string text, int n, const std::string& value) {
    const std::string marker = "%" + std::to_string(n);
    const std::size_t at = text.find(marker);
    if (at != std::string::npos) text.replace(at, marker.size(), value);
    return text;
}

std::string LanguageSummary(const LanguageOutcome& language) {
    std::string text = Percent(Percent(LoadString(IDS_LANGUAGE_REFUSED), 1, std::to_string(language.refused)), 2,
                               std::to_string(language.lines));
    if (language.refused > 0) text += " (" + LineList(language.refusedLines) + ")";
    if (language.notEchoed > 0) {
        text += "; " + Percent(LoadString(IDS_LANGUAGE_NOT_ECHOED), 1, std::to_string(language.notEchoed));
        text += " (" + LineList(language.notEchoedLines) + ")";
    }
    if (language.done && !language.saved) text += "; " + LoadString(IDS_LANGUAGE_NOT_STORED);
    return text;
}

std::uint64_t SecondsLeft(std::uint64_t count, std::uint64_t total) {
    return count >= total ? 0 : (total - count) / kAssumedBytesPerSecond;
}

std::string ReplaceNumber(const std::string& text, long long number) {
    std::string result = text;
    std::size_t at = result.find("%d");
    if (at != std::string::npos) result.replace(at, 2, std::to_string(number));
    return result;
}

std::string FormatProgress(unsigned firstId, std::uint64_t count, std::uint64_t total) {
    std::string text = LoadString(firstId) + SixDigits(count);
    if (total != 0) {
        text += LoadString(IDS_OF_TOTAL) + SixDigits(total);
        text += ReplaceNumber(LoadString(IDS_SECONDS_LEFT), static_cast<long long>(SecondsLeft(count, total)));
    }
    return text;
}

}  // namespace brelko
