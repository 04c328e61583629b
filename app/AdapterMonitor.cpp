#include "app/AdapterMonitor.h"

#include <QSocketNotifier>
#include <QStatusBar>
#include <QTimer>

#include "exchange/AdapterWatch.h"
#include "app/CBrelkoApp.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "app/CMainFrame.h"
#include "exchange/CStatusView.h"
#include "comlink/devices/DeviceWatcher.h"
#include "platform/Profile.h"
#include "res/ResourceIds.h"
#include "app/StatusFrame.h"
#include "app/framework/QtText.h"

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
    } else {
        // No descriptor to wait on (Windows): one look per interval.
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &AdapterMonitor::OnWoken);
        timer->start(Settings().intervalMs);
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
        if (change.name == m_strPort) m_bTriedWhilePresent = false;
        if (change.event == DeviceWatcher::Event::Returned) {
            m_pWatch->OnReturned(change.name);
            continue;
        }
        if (m_pWatch->OnVanished(change.name)) TellUnplugged(change.name);
    }
    ReconnectIfDue();
    // The line hung up, but the watcher never saw the adapter go: it came
    // back between two looks. Once this fresh look finds it there, one try.
    brelko::CStatusView* logic = m_frame.StatusLogic();
    if (logic && m_frame.m_pStatusView && !m_frame.IsBusy() && !logic->GoneDevice().empty() && !m_pWatch->Waiting() &&
        !m_strPort.empty() && m_pWatcher->IsPresent(m_strPort) && !m_bTriedWhilePresent) {
        m_bTriedWhilePresent = true;
        ++m_nReconnects;
        m_frame.m_pStatusView->Connect();
    }
}

void AdapterMonitor::TellUnplugged(const std::string& name) {
    // Told once, where the user looks: the status window and the status bar.
    ++m_nTold;
    const std::string text = FormatArgs(LoadString(IDS_ADAPTER_UNPLUGGED), {name});
    if (brelko::CStatusView* logic = m_frame.StatusLogic()) {
        logic->SetProgress(text);
        // The state line says it until the adapter is back; a course that
        // runs ends first (the port is closed then).
        logic->SetDeviceGone(name);
        if (!m_frame.IsBusy()) m_frame.CloseVanishedPort();
        m_frame.m_pStatusView->Invalidate(true);
    }
    m_frame.statusBar()->showMessage(Q(text), 10000);
}

void AdapterMonitor::OnLineVanished() {
    // The line hung up before the watcher looked: if the adapter is not
    // there, it is as unplugged as if the watcher had seen it go, and its
    // return reconnects. If it looks there, the next look decides.
    m_bTriedWhilePresent = false;
    if (m_strPort.empty() || m_pWatcher->IsPresent(m_strPort)) return;
    if (m_pWatch->OnVanished(m_strPort)) TellUnplugged(m_strPort);
}

bool AdapterMonitor::AdapterGone() const { return m_pWatch->Waiting(); }

void AdapterMonitor::ReconnectIfDue() {
    if (!m_frame.m_pStatusView || !m_frame.StatusLogic()) return;
    if (!m_pWatch->ShouldReconnect(m_frame.IsBusy())) return;
    ++m_nReconnects;
    m_frame.statusBar()->showMessage(Q(FormatArgs(LoadString(IDS_ADAPTER_BACK), {m_strPort})), 5000);
    m_frame.m_pStatusView->Connect();
}

}  // namespace brelko::app
