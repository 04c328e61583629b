// What went wrong on the line when an exchange with the vision system failed:
// the faults have different remedies, so the line tells them apart. A value
// of the core; the status view and the command line put it into words.
#pragma once

#include <cstddef>

namespace brelko {

enum class LineFault {
    None,
    NoAnswer,   // nothing came at all: cable, the system's power, its COM port setting
    Vanished,   // the device hung up or was unplugged: nothing more can come
    Noise,      // bytes came that did not belong to the answer
    WrongEcho,  // the system echoed something else than the request
};

struct LineFaultReport {
    LineFault fault = LineFault::None;
    std::size_t strayBytes = 0;  // Noise: how many bytes did not belong to the answer

    bool Any() const { return fault != LineFault::None; }
    bool operator==(const LineFaultReport&) const = default;
};

}  // namespace brelko
