#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Workers.h"

namespace brelko {
namespace {

using namespace std::chrono_literals;

// Message numbers of the test's own, from WM_APP on as a program's are.
enum : unsigned { kBytesReceived = WM_APP, kDataUpdate, kExchangeState, kBytesSent, kTransferDone, kTransferError };

struct Received {
    unsigned msg;
    WPARAM wParam;
    LPARAM lParam;
    std::thread::id thread;
};

class RecordingSink : public MessageSink {
public:
    void OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) override {
        messages.push_back({msg, wParam, lParam, std::this_thread::get_id()});
        if (onMessage) onMessage(msg);
    }
    std::vector<Received> messages;
    std::function<void(unsigned)> onMessage;
};

TEST(Messages, PostsFromManyThreadsArriveInPerThreadOrderOnTheLoopThread) {
    EventLoop loop;
    RecordingSink sink;
    Window window(loop, sink);
    WindowHandle handle = window.Handle();

    constexpr int kThreads = 4;
    constexpr int kPerThread = 2000;
    std::atomic<int> posted{0};
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_TRUE(StartWorker([handle, t, &posted] {
            for (int i = 0; i < kPerThread; ++i) {
                unsigned msg = i % 2 ? kBytesReceived : kBytesSent;
                if (handle.Post(msg, static_cast<WPARAM>(t), static_cast<LPARAM>(i))) ++posted;
            }
        }));
    }
    // The loop does not pump until every worker is done: posting never waits
    // for the receiving thread.
    ASSERT_TRUE(JoinWorkers(60s));
    EXPECT_EQ(posted.load(), kThreads * kPerThread);
    EXPECT_TRUE(sink.messages.empty());

    EXPECT_TRUE(loop.RunUntil([&] { return sink.messages.size() == kThreads * kPerThread; }, 60s));
    std::map<WPARAM, LPARAM> next;
    for (const auto& m : sink.messages) {
        EXPECT_EQ(m.thread, std::this_thread::get_id());
        EXPECT_EQ(m.lParam, next[m.wParam]) << "thread " << m.wParam;
        EXPECT_EQ(m.msg, m.lParam % 2 ? kBytesReceived : kBytesSent);
        next[m.wParam] = m.lParam + 1;
    }
    EXPECT_EQ(next.size(), static_cast<std::size_t>(kThreads));
}

TEST(Messages, DeliveryWhileWorkersStillPost) {
    EventLoop loop;
    RecordingSink sink;
    Window window(loop, sink);
    constexpr int kCount = 5000;
    for (int t = 0; t < 2; ++t)
        StartWorker([handle = window.Handle(), t] {
            for (int i = 0; i < kCount; ++i) handle.Post(kDataUpdate, static_cast<WPARAM>(t), i);
        });
    EXPECT_TRUE(loop.RunUntil([&] { return sink.messages.size() == 2 * kCount; }, 60s));
    ASSERT_TRUE(JoinWorkers(60s));
    LPARAM next[2] = {0, 0};
    for (const auto& m : sink.messages) {
        ASSERT_EQ(m.lParam, next[m.wParam]);
        ++next[m.wParam];
    }
}

TEST(Messages, PumpRunsWhatIsQueuedInOrder) {
    EventLoop loop;
    RecordingSink first, second;
    Window a(loop, first), b(loop, second);
    a.Handle().Post(kExchangeState, 0, 5);
    b.Handle().Post(kDataUpdate, 0, 1);
    a.Handle().Post(kTransferDone, 0, 0);
    EXPECT_EQ(loop.Pump(), 3);
    ASSERT_EQ(first.messages.size(), 2u);
    EXPECT_EQ(first.messages[0].msg, kExchangeState);
    EXPECT_EQ(first.messages[0].lParam, 5);
    EXPECT_EQ(first.messages[1].msg, kTransferDone);
    ASSERT_EQ(second.messages.size(), 1u);
    EXPECT_EQ(loop.Pump(), 0);
}

TEST(Messages, PostingToAClosedWindowIsDropped) {
    EventLoop loop;
    RecordingSink sink;
    auto window = std::make_unique<Window>(loop, sink);
    WindowHandle handle = window->Handle();
    EXPECT_TRUE(handle.Post(kBytesReceived, 1, 2));
    window->Close();
    EXPECT_FALSE(handle.Post(kBytesReceived, 3, 4));
    loop.Pump();
    EXPECT_TRUE(sink.messages.empty());  // queued before Close, dropped at delivery

    // The handle outlives the window.
    window.reset();
    EXPECT_FALSE(handle.Post(kTransferError, 2, 0));
    loop.Pump();
    EXPECT_TRUE(sink.messages.empty());

    WindowHandle null;
    EXPECT_FALSE(null);
    EXPECT_FALSE(null.Post(WM_APP));
}

TEST(Messages, AWindowClosedDuringDeliveryGetsNoMore) {
    EventLoop loop;
    RecordingSink sink;
    Window window(loop, sink);
    sink.onMessage = [&](unsigned msg) {
        if (msg == kTransferDone) window.Close();
    };
    WindowHandle handle = window.Handle();
    handle.Post(kBytesSent);
    handle.Post(kTransferDone);
    handle.Post(kBytesSent);
    loop.Pump();
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages.back().msg, kTransferDone);
}

TEST(Messages, HandlesCompareByWindow) {
    EventLoop loop;
    RecordingSink sink;
    Window a(loop, sink), b(loop, sink);
    EXPECT_TRUE(a.Handle() == a.Handle());
    EXPECT_FALSE(a.Handle() == b.Handle());
    EXPECT_TRUE(a.Handle());
}

TEST(EventLoopTest, WakeEndsAWaitWithoutATask) {
    EventLoop loop;
    std::atomic<bool> stop{false};
    std::thread waker([&] {
        Sleep(20);
        stop = true;
        loop.Wake();
    });
    // Without the wake this would wait for the full minute.
    EXPECT_TRUE(loop.RunUntil([&] { return stop.load(); }, 60s));
    waker.join();
    EXPECT_EQ(loop.Pump(), 0);
}

TEST(EventLoopTest, RunUntilGivesUpAfterItsTimeOut) {
    EventLoop loop;
    EXPECT_FALSE(loop.RunUntil([] { return false; }, 10ms));
    EXPECT_EQ(loop.Pump(10ms), 0);
}

TEST(EventLoopTest, TasksQueuedByATaskRunInALaterPump) {
    EventLoop loop;
    std::vector<int> order;
    loop.Enqueue([&] {
        order.push_back(1);
        loop.Enqueue([&] { order.push_back(3); });
    });
    loop.Enqueue([&] { order.push_back(2); });
    EXPECT_EQ(loop.Pump(), 2);
    EXPECT_EQ(loop.Pump(), 1);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(WorkersTest, JoinWaitsForRunningWorkers) {
    ASSERT_TRUE(JoinWorkers(60s));
    std::atomic<bool> release{false};
    ASSERT_TRUE(StartWorker([&] {
        while (!release) Sleep(1);
    }));
    EXPECT_EQ(RunningWorkers(), 1u);
    EXPECT_FALSE(JoinWorkers(1ms));
    release = true;
    EXPECT_TRUE(JoinWorkers(60s));
    EXPECT_EQ(RunningWorkers(), 0u);
}

TEST(ClockTest, TicksCountMilliseconds) {
    std::uint32_t before = GetTickCount();
    Sleep(15);
    std::uint32_t elapsed = GetTickCount() - before;  // wraps like the Windows count
    EXPECT_GE(elapsed, 15u);
}

}  // namespace
}  // namespace brelko
