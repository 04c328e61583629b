// Every serial port a user of this machine might mean: the devices udev
// knows and the devices the COM numbers lead to, with who may open them and
// who holds them. The command line's "ports" and the Options dialog show it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "comlink/devices/DeviceAccess.h"
#include "comlink/devices/SerialDevices.h"

namespace brelko {

// The device COM<n> opens (1 = COM1).
using ComResolver = std::function<std::string(int comNumber)>;
// The serial link's own rule: [Ports] COM<n> of the settings file, else /dev/ttyS<n-1>.
ComResolver SettingsComResolver();

struct PortEntry {
    std::string path;        // the device itself (/dev/ttyUSB0), as configured when it is missing
    std::string stableName;  // the name to tie a COM number to: by-id, else the configured name, else the path
    bool known = false;      // udev knows it: `device` is filled
    SerialDeviceInfo device;
    bool exists = false;
    std::vector<int> comNumbers;  // the COM numbers that open it, ascending
    DeviceAccess access;
    std::string holders;     // "minicom (pid 4242)" for each other program that has it open
};

// The devices (normally ListSerialDevices()) merged with what COM1 to
// COM<highestCom> lead to. A COM number that leads to a device udev does not
// list (a pseudo-terminal, a link of one's own, a missing adapter) adds an
// entry of its own when the settings file names it; the bare /dev/ttyS rule
// adds none. Entries with COM numbers come first, by their lowest one; the
// rest by path.
std::vector<PortEntry> TakePortInventory(const std::vector<SerialDeviceInfo>& devices, const ComResolver& resolve,
                                         int highestCom = kHighestComNumber);

// "minicom (pid 4242)" for each other program that has the device open,
// and the live owner of its lock file ("minicom (pid 4242,
// /var/lock/LCK..ttyUSB0)") when that one has not; empty when nobody.
std::string Holders(const std::string& devicePath);

// Ties COM<n> to a device by its stable name ([Ports] COM<n> of the settings
// file), as the Options dialog does. False when the file cannot be written.
bool TieComNumber(int comNumber, const std::string& stableName);

}  // namespace brelko
