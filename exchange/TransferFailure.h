// Why a text transfer failed. The workers name it in their TransferError
// message (the window shows the same error text whatever it is);
// the status view keeps it in the course's outcome, so that a tool can tell a
// backup worth keeping from one that was cut short.
#pragma once

namespace brelko {

enum class TransferFailure : int {
    None = 0,        // no failure, or one that was not named
    LineErrors = 1,  // the driver saw parity, framing, overrun, overflow or break errors
    Silence = 2,     // the system sent nothing for the reception's silence limit
    DeviceGone = 3,  // the device vanished (hung up, unplugged): nothing more can come
    Cancelled = 4,   // the user asked to stop
    Stalled = 5,     // sending: the transmit queue would not take or pass on the bytes
    Refused = 6,     // language sending: every line refused, or the order to store them not taken
};

// The reason a transfer-error message carries; unknown values count as unnamed.
inline TransferFailure TransferFailureFrom(long long value) {
    return value >= 0 && value <= static_cast<long long>(TransferFailure::Refused) ? static_cast<TransferFailure>(value)
                                                                              : TransferFailure::None;
}

}  // namespace brelko
