// Holders and group of a tty device: the tty port's own look at /proc and
// at the group database.
#include "comlink/devices/DeviceHolders.h"

#include "comlink/CPosixPort.h"

namespace brelko {

std::string DeviceHolders(const std::string& devicePath) { return CPosixPort::DeviceHolders(devicePath); }

std::string DeviceGroup(const std::string& devicePath) { return CPosixPort::DeviceGroup(devicePath); }

}  // namespace brelko
