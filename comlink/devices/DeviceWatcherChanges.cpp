// What both systems' watchers share: the changes between two looks.
#include "comlink/devices/DeviceWatcher.h"

#include <algorithm>

namespace brelko {

void DeviceWatcher::Watch(const std::string& path) {
    if (std::find(m_options.paths.begin(), m_options.paths.end(), path) != m_options.paths.end()) return;
    m_options.paths.push_back(path);
    m_present.emplace(path, Leads(path));
}

bool DeviceWatcher::IsPresent(const std::string& name) const {
    const auto it = m_present.find(name);
    return it != m_present.end() && it->second;
}

std::vector<DeviceWatcher::Change> DeviceWatcher::Compare(std::map<std::string, bool> now) {
    // A name that has left the folder is a device that has gone.
    for (const auto& [name, present] : m_present) now.emplace(name, false);
    std::vector<Change> changes;
    for (const auto& [name, present] : now) {
        const auto before = m_present.find(name);
        const bool was = before != m_present.end() && before->second;
        if (present != was) changes.push_back(Change{present ? Event::Returned : Event::Vanished, name});
    }
    m_present = std::move(now);
    return changes;
}

}  // namespace brelko
