// The posted-message queue of the user-interface thread on Qt's event loop:
// workers post from any thread, the tasks run in order on the thread that
// owns the queue, and posting never waits for that thread. A burst of
// messages (a reception posts one a line) is worked off in slices of a few
// milliseconds, so painting and input go on in between.
#pragma once

#include <QObject>
#include <deque>
#include <mutex>

#include "platform/Messages.h"

namespace brelko::app {

class QtPostQueue final : public QObject, public PostQueue {
    Q_OBJECT
public:
    // Lives on the thread that creates it: the user-interface thread.
    explicit QtPostQueue(QObject* parent = nullptr);
    void Enqueue(std::function<void()> task) override;

    // Longest a slice of tasks runs before the event loop gets its turn.
    static constexpr int kSliceMs = 5;

private:
    bool event(QEvent* event) override;
    void RunSlice();

    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
    bool m_bWakePosted = false;  // one wake event at a time stands for all tasks
};

}  // namespace brelko::app
