// The progress and state texts of the status window, built from the string
// table.
#pragma once

#include <cstdint>
#include <string>

#include "comlink/deviceline/LineFault.h"
#include "exchange/TransferFailure.h"

namespace brelko {

// Bytes per second that the seconds-left estimate assumes.
constexpr std::uint64_t kAssumedBytesPerSecond = 1066;

// "<first text>%06d", and when total is not 0 the total ("\nOf Total :    "
// %06d) and the seconds left ("\nSeconds left %d"). `firstId` is the text of
// the count: bytes received or bytes sent.
std::string FormatProgress(unsigned firstId, std::uint64_t count, std::uint64_t total);

// Seconds left for the rest of a transfer; 0 once the count has reached the
// total (never a wrapped, huge value).
std::uint64_t SecondsLeft(std::uint64_t count, std::uint64_t total);

// The text with "%<n>" replaced by the value (translated texts are never
// used as printf formats).
std::string Percent(std::string text, int n, const std::string& value);

struct LanguageOutcome;
// "3 of 120 lines refused (lines 4, 17, 90); 1 not echoed (line 8)", and
// that the store order was not taken when it was not.
std::string LanguageSummary(const LanguageOutcome& language);

// What the line did, in the user's words ("" for no fault).
std::string LineFaultText(const LineFaultReport& report);

// Status line 4 after a failed text transfer, chosen by why it failed: the
// user's own cancel says so; a vanished device or a silent system say what
// happened below the error text; line errors and a stalled queue (and a
// reason not named) keep the error text alone.
std::string TransferFailureText(bool sending, TransferFailure why, long silenceSeconds);

// Replaces the first "%d" of a table text with a number. Translated texts
// are never used as printf formats.
std::string ReplaceNumber(const std::string& text, long long number);

}  // namespace brelko
