// The COM ports of a Windows machine as a list for the user, with which COM
// numbers lead to each, so a user can tell which port to choose.
#pragma once

#include <string>
#include <vector>

#include "comlink/devices/SerialDevices.h"

namespace brelko::cli {

struct SerialDevice {
    std::string path;                  // COM3
    std::vector<std::string> aliases;  // \Device\Serial0, naming the same device
    std::vector<int> comNumbers;       // COM numbers that open it (1 = COM1)
    bool exists = true;                // false: named in the settings file but absent
};

// The devices the system lists (ListSerialDevices), each its own COM number.
std::vector<SerialDevice> ComPorts(const std::vector<SerialDeviceInfo>& devices);

// One line per device: "COM3  COM3  (\Device\Serial0)"; the configured COM
// number (Custom/Comport) is marked.
std::string DescribeSerialDevices(const std::vector<SerialDevice>& devices, int configuredCom);

}  // namespace brelko::cli
