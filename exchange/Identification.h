// Identification of the vision system by its version reply, in two parts:
// the line part (IdentifySystem) touches nothing but the line and may run on
// any thread; the status view applies its result on the user-interface
// thread (CStatusView::ApplyIdentification).
#pragma once

#include <string>

#include "comlink/deviceline/LineFault.h"

namespace brelko {

class CCommLink;
class CDeviceLine;
struct ClearingTimings;

enum class IdentifyOutcome {
    NoEcho,      // "GET VERSION" (or "VERSION" after a refusal) was not echoed: the wrong port
    Refused,     // both version requests were refused: an unknown system
    NoReply,     // echoed, but no reply line with a readable product word: unknown too
    Garbled,     // a product word, but no version the request rules can compare: unknown
    Identified,  // the reply names the product and its version
};

struct IdentifyResult {
    IdentifyOutcome outcome = IdentifyOutcome::NoEcho;
    std::string reply;    // the version reply, trailing white space removed (Identified, Garbled)
    std::string product;  // its first word
    std::string version;  // its third word, or the second when there are only two
    int number = 0;       // the version number; 0 when the version text does not read
    LineFaultReport lineFault;  // what the line did when it failed (NoEcho, NoReply, Garbled)
};

// Asks for the version ("GET VERSION", after a refusal "VERSION") and reads
// the reply and the prompt after it.
IdentifyResult IdentifySystem(CDeviceLine& line, const ClearingTimings& timings);

// Reads until the line has been quiet for one byte time-out; a line that
// never falls quiet is given up after the drain limit. Returns the bytes read.
int DrainUntilQuiet(CCommLink& link, const ClearingTimings& timings);

// True when the reply's first word is a product token: printable characters
// other than blanks, and at least one of them.
bool HasProductWord(const std::string& reply);

// Bytes of a reply that no text of the system holds: control bytes (line
// ends aside) and bytes above 0x7E.
std::size_t UnprintableBytes(const std::string& reply);

}  // namespace brelko
