#include "cli/SerialPorts.h"

#include "cli/CliText.h"

namespace brelko::cli {

namespace {

// Columns of UTF-8 text: every byte but the continuation bytes.
std::size_t Columns(const std::string& text) {
    std::size_t columns = 0;
    for (const char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return columns;
}

std::string Field(Text label, const std::string& value) {
    std::string text = "    " + CliText(label);
    const std::size_t columns = Columns(text);
    text.append(columns < 16 ? 16 - columns : 1, ' ');
    return text + value + "\n";
}

std::string AccessText(const DeviceAccess& access) {
    if (access.mayOpen) return CliText(Text::Yes);
    if (access.group.empty()) return CliText(Text::AccessAskAdministrator);
    return Format(CliText(access.newLoginNeeded ? Text::AccessLogInAgain : Text::AccessJoinGroup), {access.group});
}

std::string UsbText(const SerialDeviceInfo& device) {
    std::string text = device.vendorId + ":" + device.productId;
    for (const std::string* part : {&device.vendor, &device.product})
        if (!part->empty()) text += "  " + *part;
    if (!device.serial.empty()) text += "  " + Format(CliText(Text::SerialNumber), {device.serial});
    return text;
}

}  // namespace

std::string DescribePorts(const std::vector<PortEntry>& entries, int configuredCom) {
    if (entries.empty()) return CliText(Text::NoSerialDevices) + "\n";
    std::string out;
    bool marked = false;
    for (const PortEntry& entry : entries) {
        if (!out.empty()) out += "\n";
        out += entry.stableName + "\n";
        std::string device = entry.path;
        if (!entry.exists) device += " " + CliText(Text::Missing);
        out += Field(Text::LabelDevice, device);
        if (!entry.comNumbers.empty()) {
            std::string coms;
            for (int com : entry.comNumbers) {
                if (!coms.empty()) coms += ", ";
                coms += "COM" + std::to_string(com);
                if (com == configuredCom) {
                    coms += "*";
                    marked = true;
                }
            }
            out += Field(Text::LabelCom, coms);
        }
        if (entry.known && entry.device.IsUsb()) out += Field(Text::LabelUsb, UsbText(entry.device));
        if (entry.known && !entry.device.driver.empty()) {
            std::string driver = entry.device.driver;
            if (!entry.device.bus.empty() && entry.device.bus != "usb") driver += " (" + entry.device.bus + ")";
            out += Field(Text::LabelDriver, driver);
        }
        if (!entry.exists) continue;
        out += Field(Text::LabelAccess, AccessText(entry.access));
        out += Field(Text::LabelInUse, entry.holders.empty() ? CliText(Text::No) : entry.holders);
    }
    if (marked) out += "\n* " + CliText(Text::Configured) + " (Custom/Comport)\n";
    return out;
}

}  // namespace brelko::cli
