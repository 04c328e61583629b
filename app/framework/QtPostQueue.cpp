#include "app/framework/QtPostQueue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>

namespace brelko::app {

namespace {

QEvent::Type WakeKind() {
    static const int kind = QEvent::registerEventType();
    return static_cast<QEvent::Type>(kind);
}

}  // namespace

QtPostQueue::QtPostQueue(QObject* parent) : QObject(parent) {}

void QtPostQueue::Enqueue(std::function<void()> task) {
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
        wake = !m_bWakePosted;
        m_bWakePosted = true;
    }
    // postEvent is thread-safe and returns at once; Qt owns the event.
    if (wake) QCoreApplication::postEvent(this, new QEvent(WakeKind()));
}

bool QtPostQueue::event(QEvent* event) {
    if (event->type() == WakeKind()) {
        RunSlice();
        return true;
    }
    return QObject::event(event);
}

void QtPostQueue::RunSlice() {
    {
        std::lock_guard lock(m_mutex);
        if (m_tasks.empty()) {
            m_bWakePosted = false;
            return;
        }
    }
    // The next slice is posted first: it also carries on when a task opens a
    // dialog whose own loop runs before this slice returns.
    QCoreApplication::postEvent(this, new QEvent(WakeKind()));
    QElapsedTimer slice;
    slice.start();
    while (slice.elapsed() < kSliceMs) {
        std::function<void()> task;
        {
            std::lock_guard lock(m_mutex);
            if (m_tasks.empty()) return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

}  // namespace brelko::app
