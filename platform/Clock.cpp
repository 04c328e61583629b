// The standard library's steady clock on every system. (Under Wine the
// system's own GetTickCount can stand still for several milliseconds, which
// a time-out must not see.)
#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace brelko {

std::uint32_t GetTickCount() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

void Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace brelko
