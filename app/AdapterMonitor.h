// The adapter of the configured port, watched while the program runs: when
// it is unplugged the user is told once (status line 4 and the status bar),
// the state line says so, the port is closed and the device commands wait;
// when the same adapter (by its stable name) returns the program reconnects
// on its own, once no exchange runs. Woken by the device watcher's
// descriptor through the event loop, where the system gives one; on Windows
// a timer of the event loop looks at the COM list once a second.
#pragma once

#include <QObject>
#include <memory>
#include <string>

class QSocketNotifier;

namespace brelko {
class AdapterWatch;
class DeviceWatcher;
}  // namespace brelko

namespace brelko::app {

class CMainFrame;

class AdapterMonitor final : public QObject {
    Q_OBJECT
public:
    // Where and how the watcher looks: the folder of stable names, how often
    // it looks where udev does not tell, and whether udev is asked at all.
    struct WatchSettings {
        std::string byIdFolder = "/dev/serial/by-id";
        int intervalMs = 1000;
        bool useUdev = true;
    };
    // For the monitors made from now on (tests look in a folder of their own).
    static void SetWatchSettings(const WatchSettings& settings);

    explicit AdapterMonitor(CMainFrame& frame);
    ~AdapterMonitor() override;

    // Follows the device the configured COM number opens now (after start-up
    // and after the Options dialog).
    void FollowConfiguredPort();
    const std::string& Followed() const { return m_strPort; }
    // Reconnects when the adapter is back and the line is idle; the frame
    // calls it whenever a course ends.
    void ReconnectIfDue();
    // Unplugged and not back yet.
    bool AdapterGone() const;
    // A course ended with the line gone: the watcher may not have looked yet.
    void OnLineVanished();
    int TimesTold() const { return m_nTold; }
    int Reconnects() const { return m_nReconnects; }

private:
    void OnWoken();
    void TellUnplugged(const std::string& name);

    CMainFrame& m_frame;
    std::unique_ptr<DeviceWatcher> m_pWatcher;
    std::unique_ptr<AdapterWatch> m_pWatch;
    QSocketNotifier* m_pNotifier = nullptr;
    std::string m_strPort;
    int m_nTold = 0;
    int m_nReconnects = 0;
    bool m_bTriedWhilePresent = false;  // a reconnect tried since the last change of the adapter
};

}  // namespace brelko::app
