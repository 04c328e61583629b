#include "SerialPorts.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "CliText.h"
#include "CPosixPort.h"

namespace brelko::cli {

namespace fs = std::filesystem;

namespace {

// The canonical path when the device exists, the path as given otherwise.
std::string Canonical(const std::string& path) {
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return ec ? path : real.string();
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// ttyS0..ttyS31 exist whether or not a UART sits behind them; the kernel
// reports the UART type, 0 meaning none.
bool HasUart(const SerialScanRoots& roots, const std::string& name) {
    std::ifstream in(roots.sysTty + "/" + name + "/type");
    int type = 0;
    if (!(in >> type)) return false;
    return type != 0;
}

}  // namespace

ComResolver SettingsComResolver() {
    return [](int comNumber) { return CPosixPort::DevicePathFor(comNumber - 1); };
}

std::vector<SerialDevice> ScanSerialDevices(const ComResolver& resolve, const SerialScanRoots& roots) {
    std::map<std::string, SerialDevice> byReal;  // keyed by canonical path
    auto add = [&](const std::string& path) -> SerialDevice& {
        const std::string real = Canonical(path);
        auto [it, inserted] = byReal.try_emplace(real);
        if (inserted) {
            it->second.path = real;
            std::error_code ec;
            it->second.exists = fs::exists(real, ec);
        }
        return it->second;
    };

    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(roots.dev, ec)) {
        const std::string name = entry.path().filename().string();
        if (StartsWith(name, "ttyUSB") || StartsWith(name, "ttyACM") ||
            (StartsWith(name, "ttyS") && HasUart(roots, name)))
            add(entry.path().string());
    }
    const std::string byId = roots.dev + "/serial/by-id";
    for (const auto& entry : fs::directory_iterator(byId, ec)) {
        SerialDevice& device = add(entry.path().string());
        device.aliases.push_back(entry.path().string());
    }
    // Every COM number leads somewhere; list the devices it leads to when the
    // settings file names them, or when they are found above.
    for (int com = 1; com <= kHighestComNumber; ++com) {
        const std::string target = resolve(com);
        if (target.empty()) continue;
        const bool named = target != roots.dev + "/ttyS" + std::to_string(com - 1);
        auto it = byReal.find(Canonical(target));
        if (it == byReal.end()) {
            if (!named) continue;
            it = byReal.find(add(target).path);
        }
        it->second.comNumbers.push_back(com);
    }

    std::vector<SerialDevice> devices;
    for (auto& [real, device] : byReal) {
        std::sort(device.aliases.begin(), device.aliases.end());
        devices.push_back(std::move(device));
    }
    return devices;
}

}  // namespace brelko::cli
