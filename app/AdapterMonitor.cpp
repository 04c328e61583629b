#include "AdapterMonitor.h"

#include <QSocketNotifier>
#include <QStatusBar>

#include "AdapterWatch.h"
#include "CBrelkoApp.h"
#include "CDeviceLine.h"
#include "CMainFrame.h"
#include "CStatusView.h"
#include "DeviceWatcher.h"
#include "Profile.h"
#include "ResourceIds.h"
#include "StatusFrame.h"
#include "framework/QtText.h"

namespace brelko::app {

namespace {
AdapterMonitor::WatchSettings& Settings() {
    static AdapterMonitor::WatchSettings settings;
    return settings;
}
}  // namespace

void AdapterMonitor::SetWatchSettings(const WatchSettings& settings) { Settings() = settings; }

AdapterMonitor::AdapterMonitor(CMainFrame& frame)
    : QObject(&frame), m_frame(frame), m_pWatch(std::make_unique<AdapterWatch>()) {
    DeviceWatcher::Options options;
    options.byIdFolder = Settings().byIdFolder;
    options.interval = std::chrono::milliseconds(Settings().intervalMs);
    options.useUdev = Settings().useUdev;
    m_pWatcher = std::make_unique<DeviceWatcher>(options);
    if (m_pWatcher->Fd() >= 0) {
        m_pNotifier = new QSocketNotifier(m_pWatcher->Fd(), QSocketNotifier::Read, this);
        connect(m_pNotifier, &QSocketNotifier::activated, this, &AdapterMonitor::OnWoken);
    }
}

AdapterMonitor::~AdapterMonitor() = default;

void AdapterMonitor::FollowConfiguredPort() {
    // The simulator's terminal is no adapter: nothing to follow.
    CBrelkoApp* app = BrelkoApp();
    const int com = Profile::GetInt("Custom", "Comport", 1);
    if (app && !app->SimulatorDevice().empty()) {
        m_strPort.clear();
    } else {
        m_strPort = CDeviceLine::SystemDeviceName(com - 1);
        m_pWatcher->Watch(m_strPort);
    }
    m_pWatch->SetPort(m_strPort);
}

void AdapterMonitor::OnWoken() {
    for (const DeviceWatcher::Change& change : m_pWatcher->Process()) {
        if (change.event == DeviceWatcher::Event::Returned) {
            m_pWatch->OnReturned(change.name);
            continue;
        }
        if (!m_pWatch->OnVanished(change.name)) continue;
        // Told once, where the user looks: the status window and the status bar.
        ++m_nTold;
        const std::string text = FormatArgs(LoadString(IDS_ADAPTER_UNPLUGGED), {change.name});
        if (brelko::CStatusView* logic = m_frame.StatusLogic()) {
            logic->m_strProgress = text;
            m_frame.m_pStatusView->Invalidate(false);
        }
        m_frame.statusBar()->showMessage(Q(text), 10000);
    }
    ReconnectIfDue();
}

void AdapterMonitor::ReconnectIfDue() {
    if (!m_frame.m_pStatusView || !m_frame.StatusLogic()) return;
    if (!m_pWatch->ShouldReconnect(m_frame.IsBusy())) return;
    ++m_nReconnects;
    m_frame.statusBar()->showMessage(Q(FormatArgs(LoadString(IDS_ADAPTER_BACK), {m_strPort})), 5000);
    m_frame.m_pStatusView->Connect();
}

}  // namespace brelko::app
