// A 20 KB backup and its restore against the simulated vision system at
// 9600 baud: the wall time of each transfer against the time the line needs
// for its bytes, and the CPU time this program spends meanwhile. The
// simulator runs in a child process, so that its own work is not counted.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "comlink/deviceline/CDeviceLine.h"
#include "comlink/CPosixPort.h"
#include "exchange/CStatusView.h"
#include "data/CText.h"
#include "exchange/DeviceCommands.h"
#include "platform/Profile.h"
#include "exchange/RestoreCourse.h"
#include "sim/VisionSimulator.h"

namespace brelko {
namespace {

constexpr long kBaud = 9600;
std::string g_device;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The line carries 10 bits a byte.
double LineSeconds(std::size_t bytes) {
    return static_cast<double>(bytes) * 10.0 / kBaud;
}

class Course : public HeadlessStatusWindow {
public:
    void Notify(const StatusMessage& message) override {
        if (std::holds_alternative<TransferDone>(message)) transferEnd = std::chrono::steady_clock::now();
    }
    std::chrono::steady_clock::time_point transferEnd;
};

struct Session {
    Session() {
        view = std::make_unique<CStatusView>(loop, window);
        window.Attach(view.get());
        view->Connect();
        view->WaitForCourse(loop, std::chrono::seconds(30));
    }
    EventLoop loop;
    Course window;
    std::unique_ptr<CStatusView> view;
};

constexpr double kRestartSeconds = 1.0;  // the simulated system's restart after a restore

// `untilDone`: time the transfer to its end message (a reception, whose last
// byte has then arrived); otherwise the whole course (a restore: the pty
// takes the block at once, the system reads it at line speed, then restarts).
void Report(benchmark::State& state, std::chrono::steady_clock::time_point start, const Course& window,
            std::size_t lineBytes, double cpu, std::chrono::steady_clock::time_point courseEnd, bool untilDone,
            double fixedSeconds) {
    const double transfer = std::chrono::duration<double>(window.transferEnd - start).count();
    const double course = std::chrono::duration<double>(courseEnd - start).count();
    const double wall = untilDone ? transfer : course;
    state.SetIterationTime(wall);
    state.counters["bytes"] = static_cast<double>(lineBytes);
    state.counters["wall_s"] = wall;
    state.counters["line_s"] = LineSeconds(lineBytes);
    state.counters["over_line_s"] = wall - LineSeconds(lineBytes) - fixedSeconds;
    state.counters["course_s"] = course;  // with clearing and identification
    state.counters["cpu_s"] = cpu;
    state.counters["cpu_pct_of_wall"] = 100.0 * cpu / course;
}

void BM_Backup20K(benchmark::State& state) {
    Session session;
    if (!session.view->Line().m_bReady) {
        state.SkipWithError("the simulated system was not identified");
        return;
    }
    for (auto _ : state) {
        auto text = CText::Create();
        const double cpu0 = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        FetchBackup(*session.view, *text);
        session.view->WaitForCourse(session.loop, std::chrono::seconds(120));
        const auto end = std::chrono::steady_clock::now();
        const std::string request = session.view->GetBackupCommand() + "\n";
        Report(state, start, session.window, text->GetLength() + 1 + request.size() * 2, CpuSeconds() - cpu0, end,
               true, 0.0);
    }
}

// The same backup with the line's trace recording to a file: what the trace
// costs a transfer (wall time: none wanted; CPU: the writer's share).
void BM_Backup20KTraced(benchmark::State& state) {
    Session session;
    if (!session.view->Line().m_bReady) {
        state.SkipWithError("the simulated system was not identified");
        return;
    }
    char name[] = "/tmp/brelko-trace-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    for (auto _ : state) {
        auto text = CText::Create();
        const double cpu0 = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        session.view->Line().Trace().Start(name);
        FetchBackup(*session.view, *text);
        session.view->WaitForCourse(session.loop, std::chrono::seconds(120));
        session.view->Line().Trace().Stop();  // everything written
        const auto end = std::chrono::steady_clock::now();
        const std::string request = session.view->GetBackupCommand() + "\n";
        Report(state, start, session.window, text->GetLength() + 1 + request.size() * 2, CpuSeconds() - cpu0, end,
               true, 0.0);
        std::ifstream trace(name, std::ios::binary | std::ios::ate);
        state.counters["trace_bytes"] = static_cast<double>(trace.tellg());
    }
    std::remove(name);
}

// The trace's cost in wall time, measured in one run: each iteration backs
// up the same 20 KB with and without the trace, one after the other, and the
// difference of the two courses (the traced one until the trace is written
// out) is its cost. Wanted: under 1 %.
void BM_TraceCostOn20KBackup(benchmark::State& state) {
    Session session;
    if (!session.view->Line().m_bReady) {
        state.SkipWithError("the simulated system was not identified");
        return;
    }
    char name[] = "/tmp/brelko-trace-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    auto course = [&](bool traced) {
        auto text = CText::Create();
        const auto start = std::chrono::steady_clock::now();
        if (traced) session.view->Line().Trace().Start(name);
        FetchBackup(*session.view, *text);
        session.view->WaitForCourse(session.loop, std::chrono::seconds(120));
        if (traced) session.view->Line().Trace().Stop();
        if (text->GetLength() < 19000) state.SkipWithError("the backup did not come whole");
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    double plainTotal = 0, tracedTotal = 0, worst = 0;
    for (auto _ : state) {
        const double plain = course(false);
        const double traced = course(true);
        plainTotal += plain;
        tracedTotal += traced;
        worst = std::max(worst, 100.0 * (traced - plain) / plain);
        state.SetIterationTime(plain + traced);
    }
    state.counters["plain_s"] = plainTotal / static_cast<double>(state.iterations());
    state.counters["traced_s"] = tracedTotal / static_cast<double>(state.iterations());
    state.counters["trace_cost_pct"] = 100.0 * (tracedTotal - plainTotal) / plainTotal;
    state.counters["worst_pair_pct"] = worst;
    std::remove(name);
}

void BM_Restore20K(benchmark::State& state) {
    Session session;
    auto backup = CText::Create();
    FetchBackup(*session.view, *backup);
    session.view->WaitForCourse(session.loop, std::chrono::seconds(120));
    if (backup->GetLength() < 19000) {
        state.SkipWithError("no backup to restore");
        return;
    }
    for (auto _ : state) {
        const double cpu0 = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        SendBackup(*session.view, *backup);
        session.view->WaitForCourse(session.loop, std::chrono::seconds(120));
        const auto end = std::chrono::steady_clock::now();
        const std::string request = session.view->GetRestoreCommand() + "\n";
        // The request and its echo, then the block up to "[END]" and its line feed.
        Report(state, start, session.window, request.size() * 2 + backup->GetLength() - 1, CpuSeconds() - cpu0, end,
               false, kRestartSeconds);
        if (session.view->LastOutcome().sendFailed) state.SkipWithError("the restore failed");
    }
}

// The same restore as a course with its safety copy first: what the copy of
// the system's current settings adds to a restore.
void BM_Restore20KWithSafetyCopy(benchmark::State& state) {
    Session session;
    auto backup = CText::Create();
    FetchBackup(*session.view, *backup);
    session.view->WaitForCourse(session.loop, std::chrono::seconds(120));
    if (backup->GetLength() < 19000) {
        state.SkipWithError("no backup to restore");
        return;
    }
    char folder[] = "/tmp/brelko-restore-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no scratch folder");
        return;
    }
    for (auto _ : state) {
        RestoreOptions options;
        options.restoredFile = std::string(folder) + "/line3.asc";
        RestoreCourse course(*session.view, backup, options);
        const auto start = std::chrono::steady_clock::now();
        if (!course.Start()) {
            state.SkipWithError("the restore did not start");
            break;
        }
        session.loop.RunUntil([&] { return course.Finished(); }, std::chrono::seconds(240));
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        state.counters["course_s"] = std::chrono::duration<double>(end - start).count();
        state.counters["completed"] = course.Outcome().end == RestoreEnd::Completed;
        state.counters["safety_copy"] = !course.Outcome().safetyCopy.empty();
    }
    std::system((std::string("rm -rf ") + folder).c_str());
}

BENCHMARK(BM_Backup20K)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Backup20KTraced)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_TraceCostOn20KBackup)->Iterations(3)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Restore20K)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_Restore20KWithSafetyCopy)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Serves the simulator in a child process until it is killed; the device
// path comes back through a pipe.
pid_t StartSimulator() {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        SimConfig config;
        config.preset = "tz410-3.2.E";
        config.baudRate = kBaud;
        config.restartSilence = std::chrono::milliseconds(static_cast<int>(kRestartSeconds * 1000));
        VisionSimulator sim(config);
        std::string error;
        std::string path = sim.Start(&error) ? sim.DevicePath() : std::string();
        path += "\n";
        if (write(fds[1], path.data(), path.size()) < 0) _exit(1);
        close(fds[1]);
        for (;;) pause();
    }
    close(fds[1]);
    char buffer[256] = {};
    ssize_t n = read(fds[0], buffer, sizeof buffer - 1);
    close(fds[0]);
    g_device.assign(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!g_device.empty() && g_device.back() == '\n') g_device.pop_back();
    return pid;
}

}  // namespace
}  // namespace brelko

int main(int argc, char** argv) {
    using namespace brelko;
    const pid_t sim = StartSimulator();
    if (sim < 0 || g_device.empty()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    char folder[] = "/tmp/brelko-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string ini = std::string(folder) + "/b.ini";
    std::ofstream(ini) << "[Custom]\nComport=1\n";
    Profile::SetPath(ini);
    CPosixPort::SetDeviceOverride(g_device);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    std::remove(ini.c_str());
    rmdir(folder);
    return 0;
}
