// Unplug and reconnect as the window does it, without a window: the status
// view on a simulated system reached through a link of a stable name; the
// system hangs up, the watcher reports the adapter gone once, a new system
// appears under the same name, and the view reconnects on its own once it
// is idle.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

#include "exchange/AdapterWatch.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "exchange/DeviceCommands.h"
#include "comlink/devices/DeviceWatcher.h"
#include "platform/Profile.h"
#include "exchange/StatusWindow.h"
#include "tests/support/Sandbox.h"
#include "sim/VisionSimulator.h"
#include "platform/Workers.h"

namespace brelko {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(AdapterWatchTest, TellsOnceAndReconnectsOnlyWhenIdle) {
    struct Step {
        char what;  // v vanished, r returned, i idle check, b busy check
        const char* name;
        bool result;  // what OnVanished / ShouldReconnect answer
    };
    const std::vector<Step> steps = {
        {'i', "", false},           // nothing pending
        {'v', "other", false},      // another adapter
        {'v', "port", true},        // told
        {'v', "port", false},       // not twice
        {'i', "", false},           // gone: nothing to reconnect to
        {'r', "other", false},
        {'i', "", false},
        {'r', "port", false},
        {'b', "", false},           // back, but a course runs
        {'b', "", false},
        {'i', "", true},            // now
        {'i', "", false},           // once
        {'v', "port", true},        // gone again: told again
        {'r', "port", false},
        {'v', "port", true},        // and gone before the reconnect
        {'i', "", false},           // the reconnect is off
    };
    AdapterWatch watch;
    watch.SetPort("port");
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        switch (s.what) {
        case 'v': EXPECT_EQ(watch.OnVanished(s.name), s.result) << "step " << i; break;
        case 'r': watch.OnReturned(s.name); break;
        case 'i': EXPECT_EQ(watch.ShouldReconnect(false), s.result) << "step " << i; break;
        case 'b': EXPECT_EQ(watch.ShouldReconnect(true), s.result) << "step " << i; break;
        }
    }
    EXPECT_TRUE(watch.Waiting());
    watch.SetPort("another");  // the user chose another port
    EXPECT_FALSE(watch.Waiting());
}

class ReconnectTest : public testing::Test {
protected:
    void SetUp() override {
        link = dir.File("usb-Vision_Line3-if00-port0");
        std::ofstream(dir.File("brelko.ini")) << "[Custom]\nComport=1\n[Ports]\nCOM1=" << link << "\n";
        Profile::SetPath(dir.File("brelko.ini"));
        StartSystem();
        view = std::make_unique<CStatusView>(loop, window);
        window.Attach(view.get());
    }
    void TearDown() override {
        view.reset();
        JoinWorkers(10s);
        sim.reset();
    }
    // A system on a new terminal under the same stable name.
    void StartSystem() {
        SimConfig config;
        config.baudRate = 0;
        config.restartSilence = 0ms;
        sim = std::make_unique<VisionSimulator>(config);
        std::string error;
        ASSERT_TRUE(sim->Start(&error)) << error;
        const std::string fresh = link + ".new";
        fs::remove(fresh);
        fs::create_symlink(sim->DevicePath(), fresh);
        fs::rename(fresh, link);
    }
    bool Ready() const { return view->Line().m_bReady != 0; }

    test::TempDir dir;
    std::string link;
    EventLoop loop;
    HeadlessStatusWindow window;
    std::unique_ptr<VisionSimulator> sim;
    std::unique_ptr<CStatusView> view;
};

TEST_F(ReconnectTest, ASystemThatHangsUpMidTransferIsToldOnceAndReconnectedWhenBack) {
    view->Connect();
    ASSERT_TRUE(view->WaitForCourse(loop, 30s));
    ASSERT_TRUE(Ready()) << view->ConnectionStateText();

    DeviceWatcher::Options options;
    options.byIdFolder = dir.Path();
    options.useUdev = false;
    options.interval = 50ms;
    DeviceWatcher watcher(options);
    AdapterWatch watch;
    watch.SetPort(link);
    ASSERT_TRUE(watcher.IsPresent(link));

    // The adapter is pulled during a backup: the line hangs up, and udev
    // takes the adapter's link away.
    sim->Stop();
    fs::remove(link);
    auto text = CText::Create();
    FetchBackup(*view, *text);
    int told = 0;
    bool reconnected = false;
    auto feed = [&](const std::vector<DeviceWatcher::Change>& changes) {
        for (const auto& change : changes) {
            if (change.event == DeviceWatcher::Event::Vanished && watch.OnVanished(change.name)) ++told;
            if (change.event == DeviceWatcher::Event::Returned) watch.OnReturned(change.name);
        }
        // Never in the middle of a course.
        if (view->IsExchangeRunning()) {
            EXPECT_FALSE(watch.ShouldReconnect(true));
        }
        reconnected = watch.ReconnectIfDue(*view) || reconnected;
    };
    // The window's loop: the view's messages and the watcher's looks.
    const auto until = std::chrono::steady_clock::now() + 20s;
    while ((view->IsExchangeRunning() || told == 0) && std::chrono::steady_clock::now() < until) {
        view->WaitForCourse(loop, 20ms);
        feed(watcher.Wait(20ms));
    }
    EXPECT_EQ(told, 1);
    EXPECT_FALSE(Ready());
    EXPECT_FALSE(reconnected) << "nothing to reconnect to";
    for (int i = 0; i < 10; ++i) feed(watcher.Wait(100ms));
    EXPECT_EQ(told, 1) << "a vanished adapter is told once";

    StartSystem();
    const auto back = std::chrono::steady_clock::now() + 20s;
    while (!reconnected && std::chrono::steady_clock::now() < back) feed(watcher.Wait(100ms));
    ASSERT_TRUE(reconnected);
    ASSERT_TRUE(view->WaitForCourse(loop, 30s));
    EXPECT_TRUE(Ready()) << view->ConnectionStateText();
    EXPECT_EQ(view->Product(), "TZ410");
    EXPECT_EQ(told, 1);
}

}  // namespace
}  // namespace brelko
