// The serial devices of this machine as the system knows them: on Linux the
// device manager (udev) with stable names, USB identity and driver; on
// Windows the COM ports by their DOS device names.
#pragma once

#include <string>
#include <vector>

namespace brelko {

// The highest COM number a listing looks at.
constexpr int kHighestComNumber = 32;

struct SerialDeviceInfo {
    std::string devnode;                   // /dev/ttyUSB0
    // Names that stay with the adapter whatever node it gets: the links in
    // /dev/serial/by-id (one adapter, one name), then /dev/serial/by-path.
    std::vector<std::string> stableNames;
    std::string vendorId;                  // USB: "0403"
    std::string productId;                 // USB: "6001"
    std::string vendor;                    // "FTDI"
    std::string product;                   // "FT232R USB UART"
    std::string serial;                    // "A5XK3RJT"
    std::string driver;                    // ftdi_sio, cdc_acm, serial, serial8250
    std::string bus;                       // usb, pnp, platform, pci
    int comNumber = 0;                     // Windows: the COM number the node is (COM3: 3)

    // The first by-id name, else the first other stable name, else the node.
    std::string StableName() const { return stableNames.empty() ? devnode : stableNames.front(); }
    bool IsUsb() const { return !vendorId.empty(); }
};

// Linux: every tty device with hardware behind it: adapters, and serial ports whose
// UART the kernel found (the placeholder ttyS ports without one are left
// out), sorted by node. Stable names come from udev's database and from the
// links in /dev/serial; where udev does not run there are only the links.
// Windows: COM1 to COM<kHighestComNumber> where the system knows the name,
// each with the device behind it as its one stable name.
std::vector<SerialDeviceInfo> ListSerialDevices();

}  // namespace brelko
