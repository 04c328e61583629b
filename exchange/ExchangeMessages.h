// The messages the workers post to the status view and the data view, one
// small type each. The posted-message queue carries a message as its number
// and two words; Post encodes a message and Decode makes it again on the
// receiving thread, so no call site and no receiver handles the words.
#pragma once

#include <cstddef>
#include <optional>
#include <variant>

#include "exchange/TransferFailure.h"
#include "platform/Messages.h"

namespace brelko {

// The message numbers, as the status view's table gives them.
constexpr unsigned WM_BYTES_RECEIVED = WM_APP + 0;
constexpr unsigned WM_DATA_UPDATE = WM_APP + 1;
constexpr unsigned WM_EXCHANGE_STATE = WM_APP + 2;
constexpr unsigned WM_BYTES_SENT = WM_APP + 3;
constexpr unsigned WM_TRANSFER_DONE = WM_APP + 4;
constexpr unsigned WM_TRANSFER_ERROR = WM_APP + 5;
constexpr unsigned WM_IDENTIFIED = WM_APP + 6;
constexpr unsigned WM_LANGUAGE_LINE = WM_APP + 7;
constexpr unsigned WM_LANGUAGE_DONE = WM_APP + 8;

// The state kinds of WM_EXCHANGE_STATE: what the status view's line 3 says
// and whether it is busy.
enum class ExchangeStateKind : int {
    Sending = 1,               // a text sending started: busy
    Clearing = 2,              // the buffer clearing started: busy
    Identify = 3,              // the clearing has ended: identify, then idle
    PictureFailed = 4,         // a picture reception failed: clear the buffers
    Receiving = 5,             // a reception started: busy
    IdentifyAfterRestore = 6,  // the clearing after a restore has ended: as Identify
};

// What the buffer clearing after a transfer waits for before it identifies.
enum class FollowUp : int {
    Identify = 0,              // a system that stays at its prompt
    IdentifyAfterRestore = 6,  // a system that may restart after a restore
};

// What changed in the data view's document.
enum class DataUpdateKind : int {
    ContentGrew = 0,      // more text came
    PictureComplete = 1,  // the picture is loaded
    TextReceived = 2,     // the text reception has ended
    TextSent = 3,         // the text sending has ended
};

// Which way a failed transfer went.
enum class TransferDirection : int { Receiving = 1, Sending = 2 };

// What the system did with one line of a language file.
enum class LanguageLineFault : int { Refused = 0, NotEchoed = 1 };

struct BytesReceived {
    std::size_t count = 0;
    std::size_t expected = 0;  // 0: not known
    bool operator==(const BytesReceived&) const = default;
};
struct BytesSent {
    std::size_t count = 0;
    std::size_t toSend = 0;  // 0: not known
    bool operator==(const BytesSent&) const = default;
};
struct ExchangeState {
    ExchangeStateKind kind = ExchangeStateKind::Clearing;
    bool operator==(const ExchangeState&) const = default;
};
struct TransferDone {
    FollowUp followUp = FollowUp::Identify;
    bool operator==(const TransferDone&) const = default;
};
struct TransferError {
    TransferDirection direction = TransferDirection::Receiving;
    TransferFailure failure = TransferFailure::None;
    bool operator==(const TransferError&) const = default;
};
// The identification on a worker has ended (its result waits in the view).
struct Identified {
    bool operator==(const Identified&) const = default;
};
struct LanguageLine {
    int number = 0;  // the line's number in the file, from 1
    LanguageLineFault fault = LanguageLineFault::Refused;
    bool operator==(const LanguageLine&) const = default;
};
struct LanguageDone {
    int lines = 0;       // lines sent as requests
    bool saved = false;  // the system took the order to store them
    bool operator==(const LanguageDone&) const = default;
};
struct DataUpdate {
    DataUpdateKind kind = DataUpdateKind::ContentGrew;
    bool operator==(const DataUpdate&) const = default;
};

// Everything the status view receives.
using StatusMessage =
    std::variant<BytesReceived, BytesSent, ExchangeState, TransferDone, TransferError, Identified, LanguageLine, LanguageDone>;

bool Post(const WindowHandle& target, const StatusMessage& message);
bool Post(const WindowHandle& target, const DataUpdate& message);

// The message again from what the queue carried; nothing for a number that
// is not the kind's. A state kind that names no state stays as it came.
std::optional<StatusMessage> DecodeStatusMessage(unsigned msg, WPARAM wParam, LPARAM lParam);
std::optional<DataUpdate> DecodeDataUpdate(unsigned msg, WPARAM wParam, LPARAM lParam);

// Dispatch on a message's type: std::visit(Overloaded{[](const BytesSent&) {...}, ...}, message).
template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace brelko
