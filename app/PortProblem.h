// Why the port could not be opened, in the user's language: no such device,
// no permission (and the group to join), busy (and who holds it).
#pragma once

#include <string>

namespace brelko {
class CDeviceLine;
}

namespace brelko::app {

// Empty when the port is open or the system gave no reason.
std::string PortProblemText(const CDeviceLine& line);

}  // namespace brelko::app
