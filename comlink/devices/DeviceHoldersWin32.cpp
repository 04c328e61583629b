// Windows tells nobody which program holds a COM port, and its devices have
// no group to join.
#include "comlink/devices/DeviceHolders.h"

namespace brelko {

std::string DeviceHolders(const std::string& /*devicePath*/) { return {}; }

std::string DeviceGroup(const std::string& /*devicePath*/) { return {}; }

}  // namespace brelko
