#include "ProgressText.h"

#include <cstdio>

#include "ResourceIds.h"
#include "Strings.h"

namespace brelko {
namespace {

std::string SixDigits(std::uint64_t n) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%06llu", static_cast<unsigned long long>(n));
    return digits;
}

}  // namespace

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
