#include "comlink/devices/SerialDevices.h"

#include <libudev.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace brelko {

namespace {

namespace fs = std::filesystem;

struct UdevFree {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevFree>;

constexpr const char* kById = "/dev/serial/by-id";
constexpr const char* kByPath = "/dev/serial/by-path";

std::string Text(const char* value) {
    return value ? value : "";
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::string Canonical(const std::string& path) {
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return ec ? path : real.string();
}

// The names by-id first, each group sorted, no name twice.
void OrderStableNames(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const bool aId = StartsWith(a, kById);
        const bool bId = StartsWith(b, kById);
        return aId != bId ? aId : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
}

bool Describe(udev_device* device, SerialDeviceInfo& info) {
    info.devnode = Text(udev_device_get_devnode(device));
    if (info.devnode.empty()) return false;
    // Virtual terminals, the pty master and the console have no parent.
    udev_device* parent = udev_device_get_parent(device);
    if (!parent) return false;
    // The serial core makes ttyS ports for UARTs that may not be there; it
    // reports their type as 0.
    const char* type = udev_device_get_sysattr_value(device, "type");
    if (type && std::strcmp(type, "0") == 0) return false;

    for (udev_list_entry* link = udev_device_get_devlinks_list_entry(device); link;
         link = udev_list_entry_get_next(link)) {
        const std::string name = Text(udev_list_entry_get_name(link));
        if (StartsWith(name, "/dev/serial/")) info.stableNames.push_back(name);
    }
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device")) {
        info.bus = "usb";
        info.vendorId = Text(udev_device_get_sysattr_value(usb, "idVendor"));
        info.productId = Text(udev_device_get_sysattr_value(usb, "idProduct"));
        info.vendor = Text(udev_device_get_sysattr_value(usb, "manufacturer"));
        info.product = Text(udev_device_get_sysattr_value(usb, "product"));
        info.serial = Text(udev_device_get_sysattr_value(usb, "serial"));
        // The hardware database's names where the adapter gives none.
        if (info.vendor.empty()) info.vendor = Text(udev_device_get_property_value(device, "ID_VENDOR_FROM_DATABASE"));
        if (info.product.empty()) info.product = Text(udev_device_get_property_value(device, "ID_MODEL_FROM_DATABASE"));
    }
    // Newer kernels put the serial core's own port and controller devices
    // (bus serial-base, drivers "port" and "ctrl") between a UART's tty and
    // the hardware; the driver that tells something sits above them.
    for (udev_device* d = parent; d; d = udev_device_get_parent(d)) {
        const std::string subsystem = Text(udev_device_get_subsystem(d));
        if (subsystem == "serial-base") continue;
        if (const char* driver = udev_device_get_driver(d)) {
            info.driver = driver;
            if (info.bus.empty()) info.bus = subsystem;
            break;
        }
    }
    if (info.bus.empty()) info.bus = Text(udev_device_get_subsystem(parent));
    return true;
}

// The links udev made, for a machine whose udev database we cannot read.
void AddLinks(const char* folder, std::vector<SerialDeviceInfo>& devices) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (entry.path().filename().string().front() == '.') continue;  // a link udev is still making
        const std::string target = Canonical(entry.path().string());
        for (SerialDeviceInfo& device : devices)
            if (Canonical(device.devnode) == target) device.stableNames.push_back(entry.path().string());
    }
}

}  // namespace

std::vector<SerialDeviceInfo> ListSerialDevices() {
    std::vector<SerialDeviceInfo> devices;
    UdevPtr<udev> context(udev_new());
    if (!context) return devices;
    UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "tty") < 0 ||
        udev_enumerate_scan_devices(enumerate.get()) < 0)
        return devices;
    for (udev_list_entry* entry = udev_enumerate_get_list_entry(enumerate.get()); entry;
         entry = udev_list_entry_get_next(entry)) {
        UdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!device) continue;
        SerialDeviceInfo info;
        if (Describe(device.get(), info)) devices.push_back(std::move(info));
    }
    AddLinks(kById, devices);
    AddLinks(kByPath, devices);
    for (SerialDeviceInfo& device : devices) OrderStableNames(device.stableNames);
    std::sort(devices.begin(), devices.end(),
              [](const SerialDeviceInfo& a, const SerialDeviceInfo& b) { return a.devnode < b.devnode; });
    return devices;
}

}  // namespace brelko
