// The workers' messages cross the posted-message queue as a number and two
// words: each must arrive as it was posted, with the numbers the status
// view's table gives them, and words no worker posts must not turn into a
// message that means something else.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "exchange/ExchangeMessages.h"
#include "tests/support/PostedRecorder.h"

namespace brelko {
namespace {

// What the queue carries for one message.
test::Posted Carried(const StatusMessage& message) {
    EventLoop loop;
    test::PostedRecorder sink;
    Window window(loop, sink);
    EXPECT_TRUE(Post(window.Handle(), message));
    loop.Pump();
    EXPECT_EQ(sink.seen.size(), 1u);
    return sink.seen.empty() ? test::Posted{} : sink.seen.front();
}

TEST(ExchangeMessages, EachArrivesAsPostedWithItsNumberAndWords) {
    struct Case {
        StatusMessage message;
        unsigned msg;
        WPARAM w;
        LPARAM l;
    };
    const Case cases[] = {
        {BytesReceived{1500, 3632}, WM_APP + 0, 1500, 3632},
        {BytesReceived{7}, WM_APP + 0, 7, 0},
        {ExchangeState{ExchangeStateKind::Sending}, WM_APP + 2, 0, 1},
        {ExchangeState{ExchangeStateKind::Clearing}, WM_APP + 2, 0, 2},
        {ExchangeState{ExchangeStateKind::Identify}, WM_APP + 2, 0, 3},
        {ExchangeState{ExchangeStateKind::PictureFailed}, WM_APP + 2, 0, 4},
        {ExchangeState{ExchangeStateKind::Receiving}, WM_APP + 2, 0, 5},
        {ExchangeState{ExchangeStateKind::IdentifyAfterRestore}, WM_APP + 2, 0, 6},
        {BytesSent{100, 19000}, WM_APP + 3, 100, 19000},
        {TransferDone{FollowUp::Identify}, WM_APP + 4, 0, 0},
        {TransferDone{FollowUp::IdentifyAfterRestore}, WM_APP + 4, 0, 6},
        {TransferError{TransferDirection::Sending, TransferFailure::Stalled}, WM_APP + 5, 2, 5},
        {TransferError{TransferDirection::Receiving, TransferFailure::Silence}, WM_APP + 5, 1, 2},
        {Identified{}, WM_APP + 6, 0, 0},
        {LanguageLine{17, LanguageLineFault::Refused}, WM_APP + 7, 17, 0},
        {LanguageLine{9, LanguageLineFault::NotEchoed}, WM_APP + 7, 9, 1},
        {LanguageDone{120, true}, WM_APP + 8, 120, 1},
        {LanguageDone{3, false}, WM_APP + 8, 3, 0},
    };
    for (const Case& c : cases) {
        const test::Posted words = Carried(c.message);
        EXPECT_EQ(words.message, c.msg) << c.message.index();
        EXPECT_EQ(words.wParam, c.w) << c.message.index();
        EXPECT_EQ(words.lParam, c.l) << c.message.index();
        const std::optional<StatusMessage> back = DecodeStatusMessage(words.message, words.wParam, words.lParam);
        ASSERT_TRUE(back.has_value()) << c.message.index();
        EXPECT_EQ(*back, c.message) << c.message.index();
    }
}

TEST(ExchangeMessages, DataUpdatesCarryTheirKindAndNothingElseIsOne) {
    for (DataUpdateKind kind : {DataUpdateKind::ContentGrew, DataUpdateKind::PictureComplete,
                                DataUpdateKind::TextReceived, DataUpdateKind::TextSent}) {
        EventLoop loop;
        test::PostedRecorder sink;
        Window window(loop, sink);
        Post(window.Handle(), DataUpdate{kind});
        loop.Pump();
        ASSERT_EQ(sink.seen.size(), 1u);
        EXPECT_EQ(sink.seen[0].message, WM_APP + 1);
        EXPECT_EQ(sink.seen[0].lParam, static_cast<LPARAM>(kind));
        EXPECT_EQ(DecodeDataUpdate(sink.seen[0].message, 0, sink.seen[0].lParam), DataUpdate{kind});
    }
    EXPECT_FALSE(DecodeDataUpdate(WM_APP + 1, 0, 4).has_value());
    EXPECT_FALSE(DecodeDataUpdate(WM_APP + 1, 0, -1).has_value());
    EXPECT_FALSE(DecodeDataUpdate(WM_APP + 2, 0, 1).has_value()) << "a state is no data update";
    EXPECT_FALSE(DecodeStatusMessage(WM_APP + 1, 0, 1).has_value()) << "a data update is no status message";
    EXPECT_FALSE(DecodeStatusMessage(WM_APP + 9, 0, 0).has_value());
}

TEST(ExchangeMessages, WordsNoWorkerPostsReadAsTheNearestHarmlessMessage) {
    // Any direction but sending is a reception; an unknown reason is unnamed.
    for (WPARAM w : {0u, 1u, 3u}) {
        const auto error = DecodeStatusMessage(WM_TRANSFER_ERROR, w, 99);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(*error, StatusMessage(TransferError{TransferDirection::Receiving, TransferFailure::None})) << w;
    }
    // Only a sent backup asks for the restart wait.
    EXPECT_EQ(*DecodeStatusMessage(WM_TRANSFER_DONE, 0, 3), StatusMessage(TransferDone{FollowUp::Identify}));
    // A state kind that names no state stays as it came: the view shows no state text for it.
    const auto state = DecodeStatusMessage(WM_EXCHANGE_STATE, 0, 99);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(static_cast<int>(std::get<ExchangeState>(*state).kind), 99);
}

}  // namespace
}  // namespace brelko
