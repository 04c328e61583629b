#include "platform/Workers.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace brelko {

namespace {

struct WorkerCount {
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t running = 0;
};

// Never destroyed: detached workers may still finish while the process exits.
WorkerCount& Count() {
    static WorkerCount* count = new WorkerCount;
    return *count;
}

void WorkerDone() {
    WorkerCount& count = Count();
    std::lock_guard lock(count.mutex);
    --count.running;
    count.finished.notify_all();
}

}  // namespace

bool StartWorker(std::function<void()> fn) {
    WorkerCount& count = Count();
    {
        std::lock_guard lock(count.mutex);
        ++count.running;
    }
    try {
        std::thread([fn = std::move(fn)] {
            struct Done {
                ~Done() { WorkerDone(); }
            } done;
            fn();
        }).detach();
    } catch (const std::system_error&) {
        // No thread could be made (resources exhausted): nothing runs.
        WorkerDone();
        return false;
    }
    return true;
}

std::size_t RunningWorkers() {
    WorkerCount& count = Count();
    std::lock_guard lock(count.mutex);
    return count.running;
}

bool JoinWorkers(std::chrono::milliseconds timeout) {
    WorkerCount& count = Count();
    std::unique_lock lock(count.mutex);
    return count.finished.wait_for(lock, timeout, [&] { return count.running == 0; });
}

}  // namespace brelko
