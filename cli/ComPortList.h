// The COM ports of a Windows machine, and which COM numbers of the settings
// file lead to each, so a user can tell which port to choose.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace brelko::cli {

constexpr int kHighestComNumber = 32;

struct SerialDevice {
    std::string path;                  // /dev/ttyUSB0
    std::vector<std::string> aliases;  // /dev/serial/by-id/usb-FTDI_..., naming the same device
    std::vector<int> comNumbers;       // COM numbers that open it (1 = COM1)
    bool exists = true;                // false: named in the settings file but absent
};

struct SerialScanRoots {
    std::string dev = "/dev";
    std::string sysTty = "/sys/class/tty";  // ttyS<n> without a UART reports type 0 there
};

// The device that COM<n> opens (the serial link's rule: the settings file's
// Ports/COM<n>, otherwise /dev/ttyS<n-1>).
using ComResolver = std::function<std::string(int comNumber)>;
ComResolver SettingsComResolver();

// /dev/serial/by-id links, ttyUSB*, ttyACM*, the ttyS* that have a UART, and
// every device that a COM number names in place of its default ttyS; sorted
// by path.
std::vector<SerialDevice> ScanSerialDevices(const ComResolver& resolve, const SerialScanRoots& roots = {});

// One line per device: "COM1 COM3  /dev/ttyUSB0  (usb-FTDI_...)"; the
// configured COM number (Custom/Comport) is marked.
std::string DescribeSerialDevices(const std::vector<SerialDevice>& devices, int configuredCom);

}  // namespace brelko::cli
