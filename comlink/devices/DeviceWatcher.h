// Watches the serial devices come and go by their stable names, for a
// program that waits for an unplugged adapter to return. It reports each
// change once: a device that vanished, a device that is there (again).
//
// Where udev runs, a udev monitor on the "tty" subsystem wakes it; elsewhere
// (containers, minimal systems) it looks at /dev/serial/by-id and the
// watched paths once a second. Either way it is woken through one file
// descriptor, so it fits any event loop and never spins. On Windows a COM
// port is there while the system knows its name; there is no descriptor
// (Fd() is -1) and the owner calls Process() once per `interval`:
//
//   DeviceWatcher watcher;                      // or DeviceWatcher({.paths = {port}})
//   QSocketNotifier notifier(watcher.Fd(), QSocketNotifier::Read);
//   connect(&notifier, &QSocketNotifier::activated, [&] {
//       for (const auto& change : watcher.Process()) ...;
//   });
//
// A loop of its own calls Wait(timeout) instead.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

struct udev;
struct udev_monitor;

namespace brelko {

class DeviceWatcher {
public:
    struct Options {
        // The folder whose links name the adapters.
        std::string byIdFolder = "/dev/serial/by-id";
        // Device paths to watch besides (the configured port's device, a
        // link of one's own). Under udev they are looked at when udev
        // reports a tty change.
        std::vector<std::string> paths;
        // False: always look once per `interval`, even where udev runs.
        bool useUdev = true;
        std::chrono::milliseconds interval{1000};
    };

    enum class Source { Udev, Polling };
    enum class Event {
        Vanished,  // the name leads to no device any more
        Returned,  // the name leads to a device again (or for the first time)
    };
    struct Change {
        Event event;
        std::string name;  // the stable name or watched path, as given
        bool operator==(const Change&) const = default;
    };

    DeviceWatcher();
    explicit DeviceWatcher(Options options);
    ~DeviceWatcher();
    DeviceWatcher(const DeviceWatcher&) = delete;
    DeviceWatcher& operator=(const DeviceWatcher&) = delete;

    Source GetSource() const { return m_monitor ? Source::Udev : Source::Polling; }
    // Readable when there may be news: hand it to the event loop. -1 on
    // Windows, or when the system gave neither a udev monitor nor a timer.
    int Fd() const { return m_fd; }
    // Takes what woke the descriptor and returns the changes since the last
    // call, each name at most once. Never blocks.
    std::vector<Change> Process();
    // Waits up to `timeout` for the descriptor, then Process(): for
    // programs without an event loop.
    std::vector<Change> Wait(std::chrono::milliseconds timeout);

    // Watches one more path from now on; its present state is the baseline.
    void Watch(const std::string& path);
    // Whether the name leads to a device, as of the last look.
    bool IsPresent(const std::string& name) const;

private:
    // Whether the path leads to a device (each system's own test).
    static bool Leads(const std::string& path);
    std::map<std::string, bool> Look() const;
    std::vector<Change> Compare(std::map<std::string, bool> now);

    Options m_options;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    int m_timer = -1;
    int m_fd = -1;
    std::map<std::string, bool> m_present;  // every name seen, and whether it is there
};

}  // namespace brelko
