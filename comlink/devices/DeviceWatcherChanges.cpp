// What both systems' watchers share: the changes between two looks.
#include "comlink/devices/DeviceWatcher.h"

namespace brelko {

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
