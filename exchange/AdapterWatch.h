// What the window does when the adapter of its port is unplugged and comes
// back: say so once, and reconnect on its own once the same adapter (by its
// stable name) is there again and no exchange runs. Fed by a device watcher
// (comlink/devices, where the system has one); knows nothing of it.
//
//   watch.SetPort(stableNameOfTheConfiguredPort);
//   on a watcher change:  if (vanished && watch.OnVanished(name)) ShowUnplugged(name);
//                         if (returned) watch.OnReturned(name);
//   then, and whenever a course ends:  watch.ReconnectIfDue(statusView);
#pragma once

#include <string>

namespace brelko {

class CStatusView;

class AdapterWatch {
public:
    // The name under which the watcher reports the port's adapter (its
    // /dev/serial/by-id link, or the configured device path). A new name
    // forgets what was pending for the old one.
    void SetPort(std::string name);
    const std::string& Port() const { return m_strPort; }

    // True once per unplug of the port's adapter: tell the user now.
    bool OnVanished(const std::string& name);
    void OnReturned(const std::string& name);

    // Unplugged and not back yet.
    bool Waiting() const { return m_bGone; }
    // True once, when the adapter is back and `busy` is false: reconnect
    // now. While busy it stays due.
    bool ShouldReconnect(bool busy);
    // ShouldReconnect for the status view, and its Connect when due. True
    // when it reconnected.
    bool ReconnectIfDue(CStatusView& view);

private:
    std::string m_strPort;
    bool m_bGone = false;
    bool m_bDue = false;
};

}  // namespace brelko
