#include "exchange/ExchangeMessages.h"

namespace brelko {
namespace {

struct Words {
    unsigned msg = 0;
    WPARAM w = 0;
    LPARAM l = 0;
};

template <class E>
LPARAM Value(E e) {
    return static_cast<LPARAM>(e);
}

Words Encode(const StatusMessage& message) {
    return std::visit(
        Overloaded{
            [](const BytesReceived& m) { return Words{WM_BYTES_RECEIVED, m.count, static_cast<LPARAM>(m.expected)}; },
            [](const BytesSent& m) { return Words{WM_BYTES_SENT, m.count, static_cast<LPARAM>(m.toSend)}; },
            [](const ExchangeState& m) { return Words{WM_EXCHANGE_STATE, 0, Value(m.kind)}; },
            [](const TransferDone& m) { return Words{WM_TRANSFER_DONE, 0, Value(m.followUp)}; },
            [](const TransferError& m) {
                return Words{WM_TRANSFER_ERROR, static_cast<WPARAM>(m.direction), Value(m.failure)};
            },
            [](const Identified&) { return Words{WM_IDENTIFIED, 0, 0}; },
            [](const LanguageLine& m) {
                return Words{WM_LANGUAGE_LINE, static_cast<WPARAM>(m.number), Value(m.fault)};
            },
            [](const LanguageDone& m) { return Words{WM_LANGUAGE_DONE, static_cast<WPARAM>(m.lines), m.saved ? 1 : 0}; },
        },
        message);
}

}  // namespace

bool Post(const WindowHandle& target, const StatusMessage& message) {
    const Words words = Encode(message);
    return target.Post(words.msg, words.w, words.l);
}

bool Post(const WindowHandle& target, const DataUpdate& message) {
    return target.Post(WM_DATA_UPDATE, 0, Value(message.kind));
}

std::optional<StatusMessage> DecodeStatusMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_BYTES_RECEIVED: return BytesReceived{wParam, static_cast<std::size_t>(lParam)};
    case WM_BYTES_SENT: return BytesSent{wParam, static_cast<std::size_t>(lParam)};
    case WM_EXCHANGE_STATE:
        // A kind that names no state still reaches the view: it shows no state text.
        return ExchangeState{static_cast<ExchangeStateKind>(static_cast<int>(lParam))};
    case WM_TRANSFER_DONE:
        // Only a sent backup asks for the restart wait.
        return TransferDone{lParam == Value(FollowUp::IdentifyAfterRestore) ? FollowUp::IdentifyAfterRestore
                                                                            : FollowUp::Identify};
    case WM_TRANSFER_ERROR:
        // Any direction but sending is a reception.
        return TransferError{wParam == static_cast<WPARAM>(TransferDirection::Sending) ? TransferDirection::Sending
                                                                                       : TransferDirection::Receiving,
                             TransferFailureFrom(lParam)};
    case WM_IDENTIFIED: return Identified{};
    case WM_LANGUAGE_LINE:
        return LanguageLine{static_cast<int>(wParam),
                            lParam == Value(LanguageLineFault::Refused) ? LanguageLineFault::Refused
                                                                        : LanguageLineFault::NotEchoed};
    case WM_LANGUAGE_DONE: return LanguageDone{static_cast<int>(wParam), lParam != 0};
    default: return std::nullopt;
    }
}

std::optional<DataUpdate> DecodeDataUpdate(unsigned msg, WPARAM, LPARAM lParam) {
    if (msg != WM_DATA_UPDATE) return std::nullopt;
    if (lParam < Value(DataUpdateKind::ContentGrew) || lParam > Value(DataUpdateKind::TextSent)) return std::nullopt;
    return DataUpdate{static_cast<DataUpdateKind>(lParam)};
}

}  // namespace brelko
