// Who has a serial device and whose it is, for telling the user why it
// cannot be opened. Both read the system's tables (/proc, the group
// database): slow enough that a window asks them off its own thread.
#pragma once

#include <string>

namespace brelko {

// "minicom (pid 4242)" for each other program that has the device open (the
// far end of a pseudo-terminal is none); empty when nobody, or where the
// system does not tell (Windows).
std::string DeviceHolders(const std::string& devicePath);

// The name of the device's group (its number when the group has no name);
// empty when the device cannot be seen, or where devices have no group.
std::string DeviceGroup(const std::string& devicePath);

}  // namespace brelko
