#include "Identification.h"

#include "CDeviceLine.h"
#include "CStatusView.h"
#include "Clock.h"
#include "VersionReply.h"

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

IdentifyResult IdentifySystem(CDeviceLine& line, const ClearingTimings& timings) {
    IdentifyResult result;
    CCommLink* link = line.Link();
    if (!link || !line.SendCommand("GET VERSION")) return result;
    if (Refuses(line.ReadLine())) {
        // Old firmware knows only "VERSION". Its refusal may carry a message
        // line and a prompt, or neither: whatever it says must be over, or
        // a late ">" would spoil the next echo.
        DrainUntilQuiet(*link, timings);
        if (!line.SendCommand("VERSION")) return result;
        if (Refuses(line.ReadLine())) {
            result.outcome = IdentifyOutcome::Refused;
            return result;
        }
    }
    const std::string reply = TrimTrailingSpace(line.ReadLine());
    if (!HasProductWord(reply)) {
        // An echo and then silence, an empty line or line noise: nothing
        // tells which system this is, so no request words can be chosen.
        result.outcome = IdentifyOutcome::NoReply;
        return result;
    }
    const VersionReply words = ParseVersionReply(reply);
    result.outcome = IdentifyOutcome::Identified;
    result.reply = reply;
    result.product = words.product;
    result.version = words.version;
    result.number = words.number;  // 0, matching no range, when there is no readable version
    link->GetChar(timings.byteTimeoutMs);  // the prompt
    return result;
}

}  // namespace brelko
