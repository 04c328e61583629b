// The watcher on Windows: a COM port is there while the system knows its DOS
// device name. Windows has no descriptor to wake a loop, so the owner calls
// Process() once per `interval` (Wait() sleeps that long itself).
#include <windows.h>

#include <algorithm>

#include "comlink/devices/DeviceWatcher.h"
#include "platform/WideText.h"

namespace brelko {

// "\\.\COM3" and "COM3" both name COM3.
bool DeviceWatcher::Leads(const std::string& path) {
    std::string name = path;
    if (name.rfind("\\\\.\\", 0) == 0) name.erase(0, 4);
    wchar_t target[1024];
    return QueryDosDeviceW(win::Widen(name).c_str(), target, sizeof target / sizeof target[0]) != 0;
}

DeviceWatcher::DeviceWatcher() : DeviceWatcher(Options{}) {}

DeviceWatcher::DeviceWatcher(Options options) : m_options(std::move(options)) { m_present = Look(); }

DeviceWatcher::~DeviceWatcher() = default;

std::vector<DeviceWatcher::Change> DeviceWatcher::Process() { return Compare(Look()); }

std::vector<DeviceWatcher::Change> DeviceWatcher::Wait(std::chrono::milliseconds timeout) {
    Sleep(static_cast<DWORD>(std::clamp<long long>(timeout.count(), 0, 1 << 30)));
    return Process();
}

std::map<std::string, bool> DeviceWatcher::Look() const {
    std::map<std::string, bool> now;
    for (const std::string& path : m_options.paths) now[path] = Leads(path);
    return now;
}

}  // namespace brelko
