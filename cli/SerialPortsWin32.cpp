// The COM ports of a Windows machine: every COM number whose DOS device name
// the system knows, with the device behind it (\Device\Serial0, or under
// Wine the Unix device it maps to).
#include <windows.h>

#include <string>

#include "CDeviceLine.h"
#include "ComPortList.h"
#include "WideText.h"

namespace brelko::cli {

ComResolver SettingsComResolver() {
    return [](int comNumber) { return CDeviceLine::SystemDeviceName(comNumber - 1); };
}

std::vector<SerialDevice> ScanSerialDevices(const ComResolver& /*every COM number is its own device*/,
                                            const SerialScanRoots& /*Linux folders*/) {
    std::vector<SerialDevice> devices;
    for (int com = 1; com <= kHighestComNumber; ++com) {
        const std::wstring name = L"COM" + std::to_wstring(com);
        wchar_t target[1024];
        const DWORD length = QueryDosDeviceW(name.c_str(), target, sizeof target / sizeof target[0]);
        if (length == 0) continue;
        SerialDevice device;
        device.path = "COM" + std::to_string(com);
        device.aliases.push_back(win::Narrow(target));  // the first of the NUL-separated targets
        device.comNumbers.push_back(com);
        devices.push_back(std::move(device));
    }
    return devices;
}

}  // namespace brelko::cli
