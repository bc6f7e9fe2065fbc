// What waiting for a reply line costs, over a real pseudo-terminal: the processor time of
// a silent attempt, and how soon a reply is taken once its line feed has been sent.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "opened_port.h"
#include "pty_pair.h"
#include "serial/sentence.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A port on the slave side of a fresh pseudo-terminal.
struct PtyPort {
    zr640::testing::PtyPair pty;
    zr640::bench::OpenedPort opened{pty.SlavePath()};
    zr640::ComPort* const port = opened.port;
    zr640::platform::SteadyClock clock;
    zr640::platform::OperationEnvironment operation{nullptr, clock};
    const std::string sentence = zr640::FrameSentence("$KTWPI,Update");

    int ExchangeOnce() {
        return zr640::ExchangeSentence(operation, port, zr640::ReplyTimeoutMs, 1,
                                       sentence.c_str(), "$KTWPO");
    }
};

// One attempt of 2 s that no one answers; the figure is the share of one core it used.
void BM_SilentAttempt(benchmark::State& state) {
    PtyPort line;
    if (line.port == nullptr) {
        state.SkipWithError("no port on the pseudo-terminal");
        return;
    }
    double cpuSeconds = 0;
    double wallSeconds = 0;
    for (auto _ : state) {
        const double cpuStart = ProcessCpuSeconds();
        const Clock::time_point wallStart = Clock::now();
        benchmark::DoNotOptimize(line.ExchangeOnce());
        const double wall = SecondsSince(wallStart);
        cpuSeconds += ProcessCpuSeconds() - cpuStart;
        wallSeconds += wall;
        state.SetIterationTime(wall);
    }
    state.counters["cpu_percent_of_core"] = 100.0 * cpuSeconds / wallSeconds;
}
BENCHMARK(BM_SilentAttempt)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// From the moment the instrument writes its reply until ExchangeSentence returns.
void BM_ReplyLatency(benchmark::State& state) {
    PtyPort line;
    if (line.port == nullptr) {
        state.SkipWithError("no port on the pseudo-terminal");
        return;
    }
    std::atomic<bool> stop{false};
    std::atomic<Clock::rep> replySentAt{0};
    std::thread instrument([&] {
        while (!stop) {
            const std::string heard = line.pty.ReceiveLine(100ms);
            if (heard.empty() || heard.back() != '\n') continue;
            replySentAt = Clock::now().time_since_epoch().count();
            line.pty.Send("$KTWPO\r\n");
        }
    });
    std::vector<double> latencies;
    for (auto _ : state) {
        const int result = line.ExchangeOnce();
        const Clock::time_point returned = Clock::now();
        if (result != zr640::kExchangeAccepted) {
            state.SkipWithError("reply not accepted");
            break;
        }
        const double latency = std::chrono::duration<double>(
                                   returned - Clock::time_point(Clock::duration(replySentAt)))
                                   .count();
        latencies.push_back(latency);
        state.SetIterationTime(latency);
    }
    stop = true;
    instrument.join();
    if (latencies.empty()) return;
    std::sort(latencies.begin(), latencies.end());
    const auto percentileMs = [&](double share) {
        const auto index =
            static_cast<std::size_t>(share * static_cast<double>(latencies.size() - 1));
        return latencies[index] * 1000.0;
    };
    state.counters["median_ms"] = percentileMs(0.5);
    state.counters["p99_ms"] = percentileMs(0.99);
    state.counters["worst_ms"] = latencies.back() * 1000.0;
}
BENCHMARK(BM_ReplyLatency)->Iterations(500)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
