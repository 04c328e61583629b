#include "exchange/ProgressText.h"

#include <cstdio>
#include <vector>

#include "exchange/CStatusView.h"
#include "res/ResourceIds.h"
#include "platform/Strings.h"

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

std::string LineFaultText(const LineFaultReport& report) {
    switch (report.fault) {
    case LineFault::None: return {};
    case LineFault::NoAnswer: return LoadString(IDS_FAULT_NO_ANSWER);
    case LineFault::Vanished: return LoadString(IDS_FAULT_VANISHED);
    case LineFault::Noise:
        if (report.strayBytes == 1) return LoadString(IDS_FAULT_NOISE_ONE);
        return Percent(LoadString(IDS_FAULT_NOISE), 1, std::to_string(report.strayBytes));
    case LineFault::WrongEcho: return LoadString(IDS_FAULT_WRONG_ECHO);
    }
    return {};
}

std::string TransferFailureText(bool sending, TransferFailure why, long silenceSeconds) {
    const std::string error = LoadString(sending ? IDS_SEND_ERROR : IDS_RECEIVE_ERROR);
    switch (why) {
    case TransferFailure::Cancelled: return LoadString(IDS_TRANSFER_CANCELLED);
    case TransferFailure::DeviceGone: return error + "\n" + LoadString(IDS_FAULT_VANISHED);
    case TransferFailure::Silence:
        return error + "\n" + Percent(LoadString(IDS_FAULT_FELL_SILENT), 1, std::to_string(silenceSeconds));
    case TransferFailure::None:
    case TransferFailure::LineErrors:
    case TransferFailure::Stalled:
    case TransferFailure::Refused: break;
    }
    return error;
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
