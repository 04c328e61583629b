#include "comlink/devices/DeviceWatcher.h"

#include <libudev.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace brelko {

// Follows links: a link whose device has gone leads nowhere.
bool DeviceWatcher::Leads(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

DeviceWatcher::DeviceWatcher() : DeviceWatcher(Options{}) {}

DeviceWatcher::DeviceWatcher(Options options) : m_options(std::move(options)) {
    if (m_options.useUdev && (m_udev = udev_new()) != nullptr) {
        // udev's monitor hears only what the udev daemon passes on: without
        // the daemon it would stay silent for ever.
        udev_queue* queue = udev_queue_new(m_udev);
        const bool running = queue && udev_queue_get_udev_is_active(queue);
        udev_queue_unref(queue);
        if (running) m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (m_monitor && (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "tty", nullptr) < 0 ||
                          udev_monitor_enable_receiving(m_monitor) < 0)) {
            udev_monitor_unref(m_monitor);
            m_monitor = nullptr;
        }
    }
    if (m_monitor) {
        m_fd = udev_monitor_get_fd(m_monitor);
    } else {
        m_timer = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_timer >= 0) {
            const auto ms = std::max<long long>(1, m_options.interval.count());
            itimerspec spec {};
            spec.it_interval.tv_sec = static_cast<time_t>(ms / 1000);
            spec.it_interval.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
            spec.it_value = spec.it_interval;
            ::timerfd_settime(m_timer, 0, &spec, nullptr);
        }
        m_fd = m_timer;
    }
    m_present = Look();
}

DeviceWatcher::~DeviceWatcher() {
    if (m_monitor) udev_monitor_unref(m_monitor);
    if (m_udev) udev_unref(m_udev);
    if (m_timer >= 0) ::close(m_timer);
}

std::vector<DeviceWatcher::Change> DeviceWatcher::Process() {
    if (m_monitor) {
        // Every event that waits: one look after all of them.
        while (udev_device* device = udev_monitor_receive_device(m_monitor)) udev_device_unref(device);
    } else if (m_timer >= 0) {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t n = ::read(m_timer, &expirations, sizeof expirations);
    }
    return Compare(Look());
}

std::vector<DeviceWatcher::Change> DeviceWatcher::Wait(std::chrono::milliseconds timeout) {
    if (m_fd < 0) return {};
    pollfd fd {m_fd, POLLIN, 0};
    const int ready = ::poll(&fd, 1, static_cast<int>(std::min<long long>(timeout.count(), 1 << 30)));
    if (ready <= 0) return {};
    return Process();
}

std::map<std::string, bool> DeviceWatcher::Look() const {
    std::map<std::string, bool> now;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_options.byIdFolder, ec)) {
        // udev makes each link under a hidden name first, then renames it.
        if (entry.path().filename().string().front() == '.') continue;
        now[entry.path().string()] = Leads(entry.path().string());
    }
    for (const std::string& path : m_options.paths) now[path] = Leads(path);
    return now;
}

}  // namespace brelko
