// Waiting for an unplugged adapter, and getting it back.
//   BM_WaitingForAVanishedAdapter: 30 s of a watcher (as the window runs
//   it: the default source, one look a second where udev does not run)
//   whose adapter is gone; the CPU it takes, target under 1 %.
//   BM_ReconnectAfterReturn: from the adapter's return under its stable
//   name to "Ready" again, through the watcher, the reconnect and the
//   identification; target under 3 s.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "exchange/AdapterWatch.h"
#include "comlink/deviceline/CDeviceLine.h"
#include "exchange/CStatusView.h"
#include "comlink/devices/DeviceWatcher.h"
#include "platform/Profile.h"
#include "exchange/StatusWindow.h"
#include "sim/VisionSimulator.h"
#include "platform/Workers.h"

namespace brelko {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Folder {
    Folder() {
        char name[] = "/tmp/brelko-bench-XXXXXX";
        path = mkdtemp(name) ? name : "/tmp";
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string File(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

void PointLink(const std::string& link, const std::string& target) {
    const fs::path path(link);
    const fs::path fresh = path.parent_path() / ("." + path.filename().string() + ".new");
    fs::remove(fresh);
    fs::create_symlink(target, fresh);
    fs::rename(fresh, path);
}

void BM_WaitingForAVanishedAdapter(benchmark::State& state) {
    Folder folder;
    const std::string link = folder.File("usb-Vision_Line3-if00-port0");
    DeviceWatcher::Options options;
    options.paths = {link};  // not there: unplugged
    DeviceWatcher watcher(options);
    AdapterWatch watch;
    watch.SetPort(link);
    for (auto _ : state) {
        const double cpu0 = CpuSeconds();
        const auto start = Clock::now();
        int looks = 0;
        while (Clock::now() - start < 30s) {
            for (const auto& change : watcher.Wait(1s)) {
                if (change.event == DeviceWatcher::Event::Returned) watch.OnReturned(change.name);
            }
            ++looks;
        }
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = CpuSeconds() - cpu0;
        state.SetIterationTime(wall);
        state.counters["cpu_s"] = cpu;
        state.counters["cpu_pct"] = 100.0 * cpu / wall;
        state.counters["wakeups"] = looks;
        state.counters["udev"] = watcher.GetSource() == DeviceWatcher::Source::Udev ? 1 : 0;
    }
}

void BM_ReconnectAfterReturn(benchmark::State& state) {
    Folder folder;
    const std::string link = folder.File("usb-Vision_Line3-if00-port0");
    std::ofstream(folder.File("b.ini")) << "[Custom]\nComport=1\n[Ports]\nCOM1=" << link << "\n";
    Profile::SetPath(folder.File("b.ini"));
    SimConfig config;
    config.baudRate = 9600;
    auto sim = std::make_unique<VisionSimulator>(config);
    std::string error;
    if (!sim->Start(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    PointLink(link, sim->DevicePath());
    EventLoop loop;
    HeadlessStatusWindow window;
    auto view = std::make_unique<CStatusView>(loop, window);
    window.Attach(view.get());
    view->Connect();
    view->WaitForCourse(loop, 30s);
    DeviceWatcher::Options options;
    options.byIdFolder = folder.path;
    DeviceWatcher watcher(options);
    AdapterWatch watch;
    watch.SetPort(link);
    double worst = 0;
    for (auto _ : state) {
        // Unplugged: the line hangs up, the link goes.
        sim->Stop();
        fs::remove(link);
        while (!watch.Waiting())
            for (const auto& change : watcher.Wait(2s))
                if (change.event == DeviceWatcher::Event::Vanished) watch.OnVanished(change.name);
        sim = std::make_unique<VisionSimulator>(config);
        if (!sim->Start(&error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        const auto back = Clock::now();
        PointLink(link, sim->DevicePath());
        bool reconnected = false;
        while (!reconnected && Clock::now() - back < 20s) {
            for (const auto& change : watcher.Wait(2s))
                if (change.event == DeviceWatcher::Event::Returned) watch.OnReturned(change.name);
            reconnected = watch.ReconnectIfDue(*view);
        }
        view->WaitForCourse(loop, 30s);
        const double seconds = std::chrono::duration<double>(Clock::now() - back).count();
        if (!view->Line().m_bReady) state.SkipWithError("not ready after the return");
        state.SetIterationTime(seconds);
        worst = std::max(worst, seconds);
    }
    state.counters["worst_s"] = worst;
    view.reset();
    JoinWorkers(10s);
}

BENCHMARK(BM_WaitingForAVanishedAdapter)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ReconnectAfterReturn)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brelko

BENCHMARK_MAIN();
