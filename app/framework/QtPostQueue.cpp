#include "QtPostQueue.h"

#include <QCoreApplication>
#include <QEvent>

namespace brelko::app {

namespace {

// One event per task. Qt delivers posted events to one receiver in the order
// they were posted, which keeps the workers' messages in order.
class TaskEvent final : public QEvent {
public:
    static QEvent::Type Kind() {
        static const int kind = QEvent::registerEventType();
        return static_cast<QEvent::Type>(kind);
    }
    explicit TaskEvent(std::function<void()> task) : QEvent(Kind()), m_task(std::move(task)) {}
    void Run() { m_task(); }

private:
    std::function<void()> m_task;
};

}  // namespace

QtPostQueue::QtPostQueue(QObject* parent) : QObject(parent) {}

void QtPostQueue::Enqueue(std::function<void()> task) {
    // postEvent is thread-safe and returns at once; Qt owns the event.
    QCoreApplication::postEvent(this, new TaskEvent(std::move(task)));
}

bool QtPostQueue::event(QEvent* event) {
    if (event->type() == TaskEvent::Kind()) {
        static_cast<TaskEvent*>(event)->Run();
        return true;
    }
    return QObject::event(event);
}

}  // namespace brelko::app
