// What the link costs: processor time while it waits on a silent line, and
// how fast its byte loops drain a pseudo-terminal that sends at full speed.
#include <benchmark/benchmark.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "comlink/COMLINK.h"
#include "tests/support/PtyPeer.h"

namespace brelko {
namespace {

double Seconds(clockid_t clock) {
    timespec ts {};
    ::clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// GetChar with a long time-out on a line that stays silent: the wait should
// cost well under 1% of a processor.
void BM_SilentGetCharCpu(benchmark::State& state) {
    test::PtyPair pty;
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    CCommLink link(&port);
    const int timeout = static_cast<int>(state.range(0));
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID), wall0 = Seconds(CLOCK_MONOTONIC);
        int c = link.GetChar(timeout);
        cpu += Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        wall += Seconds(CLOCK_MONOTONIC) - wall0;
        if (c != LINK_TIMEOUT) state.SkipWithError("the line was not silent");
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["wall_ms_per_call"] = 1000.0 * wall / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SilentGetCharCpu)->Arg(2000)->Arg(500)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// Waits while received bytes lie unread: the inter-character delay of
// PutChar and WaitEvent on a mask without the receive events. Both should
// sleep, not spin, while the far end's bytes wait for a later read.
void BM_WaitWithUnreadBytesCpu(benchmark::State& state) {
    test::PtyPair pty;
    CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
    CCommLink link(&port);
    pty.Send("unread bytes\n");
    // The bytes have arrived once a look at the queue sees them.
    for (int i = 0; i < 1000 && link.GetChar(0) < 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const bool putChar = state.range(0) == 0;
    link.SetDelay(20);
    port.SetEventMask(0x04);  // transmit queue empty: never true while the far end does not read
    port.Purge(1, 0);
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID), wall0 = Seconds(CLOCK_MONOTONIC);
        if (putChar) {
            for (int i = 0; i < 25; ++i) link.PutChar('x');  // 25 x 20 ms
        } else {
            // WaitEvent has no time-out: a flag ends it after half a second.
            std::atomic<bool> stop{false};
            port.SetCancelFlag(&stop);
            std::thread timer([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                stop = true;
            });
            port.SetEventMask(0x08);  // a CTS change, which a pty never has
            unsigned events = 0;
            port.WaitEvent(events);
            timer.join();
            port.SetCancelFlag(nullptr);
        }
        cpu += Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        wall += Seconds(CLOCK_MONOTONIC) - wall0;
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
}
BENCHMARK(BM_WaitWithUnreadBytesCpu)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("waitEvent")
    ->Iterations(4)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The device side: sends `total` bytes as fast as the pty takes them, lines
// of 64 bytes ending in LF.
std::thread Flood(const test::PtyPair& pty, std::size_t total) {
    return std::thread([&pty, total] {
        std::string chunk;
        while (chunk.size() < 4096) chunk += std::string(63, 'x') + "\n";
        std::size_t sent = 0;
        while (sent < total) {
            std::size_t n = std::min(chunk.size(), total - sent);
            if (!pty.Send(chunk.substr(0, n))) return;
            sent += n;
        }
    });
}

constexpr std::size_t kFloodBytes = 8u << 20;

void Report(benchmark::State& state, std::size_t bytes, double wall) {
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["MB_per_s"] = wall > 0 ? static_cast<double>(bytes) / wall / 1e6 : 0;
}

void BM_ReadUntilThroughput(benchmark::State& state) {
    const int terminator = static_cast<int>(state.range(0));
    std::size_t total = 0;
    double wall = 0;
    for (auto _ : state) {
        test::PtyPair pty;
        CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
        CCommLink link(&port);
        char buffer[4097];
        double wall0 = Seconds(CLOCK_MONOTONIC);
        std::thread device = Flood(pty, kFloodBytes);
        std::size_t got = 0;
        while (got < kFloodBytes) {
            int n = link.ReadUntil(buffer, 4096, terminator, 2000);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        wall += Seconds(CLOCK_MONOTONIC) - wall0;
        device.join();
        if (got != kFloodBytes) state.SkipWithError("bytes went missing");
        total += got;
    }
    Report(state, total, wall);
}
// Terminator LF (line by line) and none (4096-byte blocks).
BENCHMARK(BM_ReadUntilThroughput)->Arg('\n')->Arg(-1)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_GetCharThroughput(benchmark::State& state) {
    std::size_t total = 0;
    double wall = 0;
    for (auto _ : state) {
        test::PtyPair pty;
        CPosixPort port(pty.SlavePath(), 4096, 2048, 0);
        CCommLink link(&port);
        double wall0 = Seconds(CLOCK_MONOTONIC);
        std::thread device = Flood(pty, kFloodBytes);
        std::size_t got = 0;
        while (got < kFloodBytes && link.GetChar(2000) >= 0) ++got;
        wall += Seconds(CLOCK_MONOTONIC) - wall0;
        device.join();
        if (got != kFloodBytes) state.SkipWithError("bytes went missing");
        total += got;
    }
    Report(state, total, wall);
}
BENCHMARK(BM_GetCharThroughput)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brelko

BENCHMARK_MAIN();
