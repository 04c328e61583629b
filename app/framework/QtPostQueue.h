// The posted-message queue of the user-interface thread on Qt's event loop:
// workers post from any thread, the tasks run in order on the thread that
// owns the queue, and posting never waits for that thread.
#pragma once

#include <QObject>

#include "Messages.h"

namespace brelko::app {

class QtPostQueue final : public QObject, public PostQueue {
    Q_OBJECT
public:
    // Lives on the thread that creates it: the user-interface thread.
    explicit QtPostQueue(QObject* parent = nullptr);
    void Enqueue(std::function<void()> task) override;

private:
    bool event(QEvent* event) override;
};

}  // namespace brelko::app
