#include "exchange/Identification.h"

#include "comlink/deviceline/CDeviceLine.h"
#include "exchange/CStatusView.h"
#include "platform/Clock.h"
#include "exchange/VersionReply.h"

namespace brelko {

namespace {

bool Refuses(const std::string& echoLine) { return echoLine.find('?') != std::string::npos; }

}  // namespace

int DrainUntilQuiet(CCommLink& link, const ClearingTimings& t) {
    const std::uint32_t start = GetTickCount();
    int count = 0;
    while (link.GetChar(t.byteTimeoutMs) >= 0) {
        ++count;
        if (GetTickCount() - start >= static_cast<std::uint32_t>(t.drainLimitMs)) break;
    }
    return count;
}

bool HasProductWord(const std::string& reply) {
    std::size_t i = 0;
    while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\t')) ++i;
    const std::size_t start = i;
    for (; i < reply.size() && reply[i] != ' ' && reply[i] != '\t'; ++i) {
        const auto c = static_cast<unsigned char>(reply[i]);
        if (c < 0x21 || c > 0x7E) return false;
    }
    return i > start;
}

std::size_t UnprintableBytes(const std::string& reply) {
    std::size_t count = 0;
    for (const char ch : reply) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\r' && c != '\n' && c != '\t') || c > 0x7E) ++count;
    }
    return count;
}

IdentifyResult IdentifySystem(CDeviceLine& line, const ClearingTimings& timings) {
    IdentifyResult result;
    CCommLink* link = line.Link();
    if (!link || !line.SendCommand("GET VERSION", &result.lineFault)) return result;
    if (Refuses(line.ReadLine())) {
        // Old firmware knows only "VERSION". Its refusal may carry a message
        // line and a prompt, or neither: whatever it says must be over, or
        // a late ">" would spoil the next echo.
        DrainUntilQuiet(*link, timings);
        if (!line.SendCommand("VERSION", &result.lineFault)) return result;
        if (Refuses(line.ReadLine())) {
            result.outcome = IdentifyOutcome::Refused;
            return result;
        }
    }
    const std::string reply = TrimTrailingSpace(line.ReadLine());
    const int end = line.LastReadEnd();
    if (end < 0 && end != LINK_TIMEOUT) {
        result.lineFault.fault = LineFault::Vanished;
    } else if (const std::size_t stray = UnprintableBytes(reply); stray > 0) {
        result.lineFault.fault = LineFault::Noise;
        result.lineFault.strayBytes = stray;
    }
    if (!HasProductWord(reply)) {
        // An echo and then silence, an empty line or line noise: nothing
        // tells which system this is, so no request words can be chosen.
        result.outcome = IdentifyOutcome::NoReply;
        return result;
    }
    const VersionReply words = ParseVersionReply(reply);
    result.reply = reply;
    result.product = words.product;
    result.version = words.version;
    result.number = words.number;
    // A version damaged on the line would choose the wrong request words.
    result.outcome = words.readable ? IdentifyOutcome::Identified : IdentifyOutcome::Garbled;
    if (result.outcome == IdentifyOutcome::Identified) result.lineFault = LineFaultReport{};
    link->GetChar(timings.byteTimeoutMs);  // the prompt
    return result;
}

}  // namespace brelko
