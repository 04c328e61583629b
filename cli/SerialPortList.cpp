// The list of serial devices as the user sees it, the same on every system.
#include <algorithm>

#include "cli/CliText.h"
#include "cli/ComPortList.h"

namespace brelko::cli {

std::vector<SerialDevice> ComPorts(const std::vector<SerialDeviceInfo>& devices) {
    std::vector<SerialDevice> ports;
    for (const SerialDeviceInfo& device : devices) {
        SerialDevice port;
        port.path = device.devnode;
        port.aliases = device.stableNames;
        if (device.comNumber > 0) port.comNumbers.push_back(device.comNumber);
        ports.push_back(std::move(port));
    }
    return ports;
}

std::string DescribeSerialDevices(const std::vector<SerialDevice>& devices, int configuredCom) {
    if (devices.empty()) return CliText(Text::NoSerialDevices) + "\n";
    std::vector<std::string> coms;
    std::size_t width = 0;
    for (const SerialDevice& device : devices) {
        std::string text;
        for (int com : device.comNumbers) {
            if (!text.empty()) text += ' ';
            text += "COM" + std::to_string(com);
            if (com == configuredCom) text += '*';
        }
        if (text.empty()) text = "-";
        width = std::max(width, text.size());
        coms.push_back(std::move(text));
    }
    std::string out;
    bool marked = false;
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const SerialDevice& device = devices[i];
        std::string line = coms[i];
        line.append(width - coms[i].size() + 2, ' ');
        line += device.path;
        if (!device.exists) line += "  " + CliText(Text::Missing);
        for (const std::string& alias : device.aliases) line += "  " + alias;
        out += line + "\n";
        marked = marked || coms[i].find('*') != std::string::npos;
    }
    if (marked) out += "* " + CliText(Text::Configured) + " (Custom/Comport)\n";
    return out;
}

}  // namespace brelko::cli
