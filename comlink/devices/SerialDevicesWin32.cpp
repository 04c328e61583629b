// The COM ports of a Windows machine: every COM number whose DOS device name
// the system knows, with the device behind it (\Device\Serial0, or under
// Wine the Unix device it maps to).
#include <windows.h>

#include <string>

#include "comlink/devices/SerialDevices.h"
#include "platform/WideText.h"

namespace brelko {

std::vector<SerialDeviceInfo> ListSerialDevices() {
    std::vector<SerialDeviceInfo> devices;
    for (int com = 1; com <= kHighestComNumber; ++com) {
        const std::wstring name = L"COM" + std::to_wstring(com);
        wchar_t target[1024];
        const DWORD length = QueryDosDeviceW(name.c_str(), target, sizeof target / sizeof target[0]);
        if (length == 0) continue;
        SerialDeviceInfo device;
        device.devnode = "COM" + std::to_string(com);
        device.comNumber = com;
        device.stableNames.push_back(win::Narrow(target));  // the first of the NUL-separated targets
        devices.push_back(std::move(device));
    }
    return devices;
}

}  // namespace brelko
