#include "platform/Messages.h"

namespace brelko {

namespace detail {

// Shared by the window and every handle copied from it. `open` is guarded by
// the mutex so that a Post racing with Close either queues before the window
// closes (and is then dropped at delivery) or sees it closed; Close waits for
// a Post that is inside Enqueue, so the queue outlives every Enqueue call.
struct WindowState {
    std::mutex mutex;
    bool open = true;
    PostQueue* queue = nullptr;
    MessageSink* sink = nullptr;
};

}  // namespace detail

bool WindowHandle::Post(unsigned msg, WPARAM wParam, LPARAM lParam) const {
    if (!m_state) return false;
    std::lock_guard lock(m_state->mutex);
    if (!m_state->open) return false;
    m_state->queue->Enqueue([state = m_state, msg, wParam, lParam] {
        // Runs on the receiving thread, which is also the only one that closes
        // the window, so the sink cannot go away during the call.
        MessageSink* sink = nullptr;
        {
            std::lock_guard lock(state->mutex);
            if (state->open) sink = state->sink;
        }
        if (sink) sink->OnMessage(msg, wParam, lParam);
    });
    return true;
}

Window::Window(PostQueue& queue, MessageSink& sink) : m_state(std::make_shared<detail::WindowState>()) {
    m_state->queue = &queue;
    m_state->sink = &sink;
}

Window::~Window() { Close(); }

WindowHandle Window::Handle() const { return WindowHandle(m_state); }

void Window::Close() {
    std::lock_guard lock(m_state->mutex);
    m_state->open = false;
    m_state->sink = nullptr;
}

void EventLoop::Enqueue(std::function<void()> task) {
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_cv.notify_one();
}

int EventLoop::Pump(std::chrono::milliseconds timeout) {
    std::deque<std::function<void()>> batch;
    {
        std::unique_lock lock(m_mutex);
        if (m_tasks.empty() && timeout.count() > 0)
            m_cv.wait_for(lock, timeout, [&] { return !m_tasks.empty() || m_woken; });
        m_woken = false;
        batch.swap(m_tasks);
    }
    int ran = 0;
    for (auto& task : batch) {
        task();
        ++ran;
    }
    return ran;
}

bool EventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            if (!m_cv.wait_until(lock, deadline, [&] { return !m_tasks.empty() || m_woken; })) {
                lock.unlock();
                return done();
            }
            m_woken = false;
            if (m_tasks.empty()) continue;  // woken without a task: check done() again
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

void EventLoop::Wake() {
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_cv.notify_all();
}

}  // namespace brelko
