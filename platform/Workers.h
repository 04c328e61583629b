// Worker threads: every transfer runs on one. They are tracked, so that the
// program and the tests can wait for all of them before shutting down.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

namespace brelko {

// Starts fn on a new thread at once. Never blocks on the caller's side. False
// when the system could not make a thread (fn then never runs).
bool StartWorker(std::function<void()> fn);
// Workers started and not yet finished.
std::size_t RunningWorkers();
// Waits until every worker has finished; false when the time-out passed first.
bool JoinWorkers(std::chrono::milliseconds timeout = std::chrono::milliseconds(60000));

}  // namespace brelko
