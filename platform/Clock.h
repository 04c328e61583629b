// Millisecond ticks and sleeping, as the serial link and the workers count time.
#pragma once

#include <cstdint>

namespace brelko {

// Milliseconds since an arbitrary start, monotonic, wrapping at 2^32 like
// the Windows tick count.
std::uint32_t GetTickCount();
void Sleep(std::uint32_t milliseconds);

}  // namespace brelko
