// The simulator at line speed: how fast a 20 KB backup comes at 9600 baud
// (the line carries 960 bytes a second), and what the simulator costs while
// it waits for requests.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "sim/VisionSimulator.h"

using namespace brelko;
using Clock = std::chrono::steady_clock;

namespace {

int OpenRaw(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

double ProcessCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// Reads until the prompt ends the reply; the time of the first and last byte.
std::size_t ReadReply(int fd, Clock::time_point& first, Clock::time_point& last) {
    std::string got;
    char buf[4096];
    bool any = false;
    while (got.size() < 3 || got.compare(got.size() - 3, 3, "\r\n>") != 0) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) break;
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        if (!any) first = Clock::now(), any = true;
        got.append(buf, static_cast<std::size_t>(n));
    }
    last = Clock::now();
    return got.size();
}

void BM_Backup20KBAt9600(benchmark::State& state) {
    SimConfig config;
    config.preset = "tz410-3.2.E";
    config.baudRate = 9600;
    VisionSimulator sim(config);
    if (!sim.Start()) {
        state.SkipWithError("simulator did not start");
        return;
    }
    int fd = OpenRaw(sim.DevicePath());
    double bytesPerSecond = 0, cpuPercent = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        Clock::time_point first, last;
        const double cpu0 = ProcessCpuSeconds();
        [[maybe_unused]] auto n = ::write(fd, "UPLOAD\n", 7);
        bytes = ReadReply(fd, first, last);
        const double seconds = std::chrono::duration<double>(last - first).count();
        state.SetIterationTime(seconds);
        // The first byte opens the interval, so it is not counted in it.
        bytesPerSecond = seconds > 0 ? (bytes - 1) / seconds : 0;
        cpuPercent = 100.0 * (ProcessCpuSeconds() - cpu0) / seconds;
    }
    ::close(fd);
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["bytes_per_second"] = bytesPerSecond;
    state.counters["percent_of_960"] = 100.0 * bytesPerSecond / 960.0;
    state.counters["cpu_percent_while_sending"] = cpuPercent;
}
BENCHMARK(BM_Backup20KBAt9600)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// A client sends a 20 KB block; the system reads it at line speed.
void BM_Restore20KBAt9600(benchmark::State& state) {
    SimConfig config;
    config.preset = "tz410-3.2.E";
    config.baudRate = 9600;
    config.restartSilence = std::chrono::milliseconds(0);
    VisionSimulator sim(config);
    if (!sim.Start()) {
        state.SkipWithError("simulator did not start");
        return;
    }
    int fd = OpenRaw(sim.DevicePath());
    std::string block(20000, 'A');
    for (std::size_t i = 40; i < block.size(); i += 41) block[i] = '\n';
    block += "\n[END]\n";
    double bytesPerSecond = 0;
    for (auto _ : state) {
        [[maybe_unused]] auto n = ::write(fd, "DOWNLOAD\n", 9);
        Clock::time_point first, last;
        // The echo and its line end.
        std::string echo;
        char buf[64];
        while (echo.size() < 10) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) break;
            ssize_t r = ::read(fd, buf, sizeof buf);
            if (r <= 0) break;
            echo.append(buf, static_cast<std::size_t>(r));
        }
        const auto start = Clock::now();
        // The writes block while the system takes the block at line speed.
        std::size_t done = 0;
        while (done < block.size()) {
            ssize_t w = ::write(fd, block.data() + done, block.size() - done);
            if (w > 0) done += static_cast<std::size_t>(w);
        }
        // The system hears line feeds again once the block is through.
        for (int tries = 0; tries < 2000; ++tries) {
            [[maybe_unused]] auto lf = ::write(fd, "\n", 1);
            pollfd q{fd, POLLIN, 0};
            if (::poll(&q, 1, 10) > 0) break;
        }
        last = Clock::now();
        const double seconds = std::chrono::duration<double>(last - start).count();
        state.SetIterationTime(seconds);
        bytesPerSecond = (block.size() + 1) / seconds;
    }
    ::close(fd);
    state.counters["bytes_per_second"] = bytesPerSecond;
    state.counters["percent_of_960"] = 100.0 * bytesPerSecond / 960.0;
}
BENCHMARK(BM_Restore20KBAt9600)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The simulator waiting for requests, with a client holding the port open.
void BM_IdleCpu(benchmark::State& state) {
    SimConfig config;
    config.preset = "tz410-3.2.E";
    VisionSimulator sim(config);
    if (!sim.Start()) {
        state.SkipWithError("simulator did not start");
        return;
    }
    int fd = OpenRaw(sim.DevicePath());
    double percent = 0;
    for (auto _ : state) {
        const double cpu0 = ProcessCpuSeconds();
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(seconds);
        percent = 100.0 * (ProcessCpuSeconds() - cpu0) / seconds;
    }
    ::close(fd);
    state.counters["cpu_percent_of_a_core"] = percent;
}
BENCHMARK(BM_IdleCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
