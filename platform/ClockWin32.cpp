// On Windows the tick count is the system's own, the clock the serial link's
// time-outs have always been counted in.
#include <windows.h>

#include "Clock.h"

namespace brelko {

std::uint32_t GetTickCount() { return ::GetTickCount(); }

void Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace brelko
