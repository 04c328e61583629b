// Posted messages: workers report to windows only by posting (message, wParam,
// lParam) to a window handle. Posting never waits; messages are delivered in
// order on the thread that runs the receiving window's event loop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace brelko {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

constexpr unsigned WM_APP = 0x8000;
// Message numbers from here on are the program's own (exchange/ExchangeMessages.h).

// What receives posted messages: a window.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam) = 0;
};

// The queue of a user-interface thread. Enqueue is called from any thread and
// must not block on the receiving thread; tasks run in order on that thread.
class PostQueue {
public:
    virtual ~PostQueue() = default;
    virtual void Enqueue(std::function<void()> task) = 0;
};

namespace detail {
struct WindowState;
}

// A window handle that any thread may copy and post to. A default-constructed
// handle is null; posting to it, or to a closed window, is dropped.
class WindowHandle {
public:
    WindowHandle() = default;
    bool Post(unsigned msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    explicit operator bool() const { return static_cast<bool>(m_state); }
    bool operator==(const WindowHandle& other) const { return m_state == other.m_state; }

private:
    friend class Window;
    explicit WindowHandle(std::shared_ptr<detail::WindowState> state) : m_state(std::move(state)) {}
    std::shared_ptr<detail::WindowState> m_state;
};

// Registers a sink with a queue for as long as this object lives. Destroy (or
// Close) it on the receiving thread; messages still queued for it are dropped.
class Window {
public:
    Window(PostQueue& queue, MessageSink& sink);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    WindowHandle Handle() const;
    void Close();

private:
    std::shared_ptr<detail::WindowState> m_state;
};

// A plain event loop for the command-line tool and the tests: the thread that
// calls Pump/RunUntil is the receiving thread.
class EventLoop : public PostQueue {
public:
    void Enqueue(std::function<void()> task) override;

    // Runs every task queued now; waits up to `timeout` for the first one.
    // Returns the number of tasks run.
    int Pump(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
    // Runs tasks until done() holds (checked after each task) or the time-out
    // passes. True when done() held.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Wakes a thread that waits in Pump or RunUntil (for example from a signal
    // watcher) without queueing a task.
    void Wake();

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_tasks;
    bool m_woken = false;
};

}  // namespace brelko
