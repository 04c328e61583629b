#include "comlink/devices/PortInventory.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "comlink/CPosixPort.h"
#include "platform/Profile.h"
#include "comlink/UucpLock.h"

namespace brelko {

namespace {

namespace fs = std::filesystem;

std::string Canonical(const std::string& path) {
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return ec ? path : real.string();
}

}  // namespace

ComResolver SettingsComResolver() {
    return [](int comNumber) { return CPosixPort::DevicePathFor(comNumber - 1); };
}

std::vector<PortEntry> TakePortInventory(const std::vector<SerialDeviceInfo>& devices, const ComResolver& resolve,
                                         int highestCom) {
    std::map<std::string, PortEntry> byDevice;  // by canonical path
    for (const SerialDeviceInfo& device : devices) {
        PortEntry& entry = byDevice[Canonical(device.devnode)];
        entry.path = device.devnode;
        entry.stableName = device.StableName();
        entry.known = true;
        entry.device = device;
    }
    for (int com = 1; com <= highestCom; ++com) {
        const std::string target = resolve(com);
        if (target.empty()) continue;
        const std::string real = Canonical(target);
        auto it = byDevice.find(real);
        if (it == byDevice.end()) {
            // Only what the settings file names: every COM number has a
            // ttyS fallback, and those without a UART are no ports.
            if (target == "/dev/ttyS" + std::to_string(com - 1)) continue;
            it = byDevice.emplace(real, PortEntry{}).first;
            it->second.path = real;
            it->second.stableName = target;
        }
        it->second.comNumbers.push_back(com);
    }
    std::vector<PortEntry> entries;
    for (auto& [real, entry] : byDevice) {
        entry.access = CheckDeviceAccess(real);
        entry.exists = entry.access.exists;
        if (entry.exists) entry.holders = Holders(real);
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(), [](const PortEntry& a, const PortEntry& b) {
        if (a.comNumbers.empty() != b.comNumbers.empty()) return !a.comNumbers.empty();
        if (!a.comNumbers.empty()) return a.comNumbers.front() < b.comNumbers.front();
        return a.path < b.path;
    });
    return entries;
}

std::string Holders(const std::string& devicePath) {
    std::string holders = CPosixPort::DeviceHolders(devicePath);
    // A program may hold the port by its lock file alone (between its own
    // opens, or before it opens): name it all the same.
    const long owner = UucpLock::LiveOwner(devicePath);
    if (owner == 0 || owner == static_cast<long>(::getpid())) return holders;
    const std::string pid = "(pid " + std::to_string(owner);
    if (holders.find(pid + ")") != std::string::npos) return holders;
    if (!holders.empty()) holders += ", ";
    return holders + CPosixPort::ProcessName(owner) + " " + pid + ", " + UucpLock::LockPathFor(devicePath) + ")";
}

bool TieComNumber(int comNumber, const std::string& stableName) {
    return Profile::WriteString("Ports", "COM" + std::to_string(comNumber), stableName);
}

}  // namespace brelko
