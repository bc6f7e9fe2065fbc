// SPDX-License-Identifier: GPL-3.0-or-later
// What waiting for a reply line costs, over a real pseudo-terminal: the processor time of
// a silent attempt, and how soon a reply is taken once its line feed has been sent. And how
// soon a cancel ends the longest sentence while it is on the wire, over the fake device
// whose output leaves at the line's pace (a pseudo-terminal never holds output).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "fake_serial_device.h"
#include "manual_clock.h"
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
            const std::string heard = line.pty.Receive(std::string::npos, 100ms, '\n');
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

// The operation's clock over the device's manual one: the user presses Escape at `cancelMs`,
// which the operation learns as soon as its clock passes that time.
class CancellingClock final : public zr640::platform::MonotonicClock {
public:
    CancellingClock(zr640::testing::ManualClock& clock, std::uint32_t cancelMs)
        : clock_(clock), cancelMs_(cancelMs) {}
    std::uint32_t NowMs() override {
        if (operation != nullptr && static_cast<std::int32_t>(clock_.NowMs() - cancelMs_) >= 0) {
            operation->Cancel();
        }
        return clock_.NowMs();
    }
    void Sleep(std::uint32_t ms) override { clock_.Advance(ms), NowMs(); }

    zr640::platform::OperationEnvironment* operation = nullptr;

private:
    zr640::testing::ManualClock& clock_;
    std::uint32_t cancelMs_;
};

// A sentence of 511 bytes at `baud` (8N1), the cancel at every millisecond of its time on the
// wire in turn: the longest and the mean time from the cancel until the exchange has returned,
// on the manual clock.
void BM_CancelLatencyDuring511ByteSentence(benchmark::State& state) {
    const auto baud = static_cast<std::int32_t>(state.range(0));
    const std::string sentence = zr640::FrameSentence("$KTWPR,1,1,1," + std::string(493, 'n'));
    const auto wireMs = static_cast<std::uint32_t>(sentence.size() * 10 * 1000 / baud);
    double worstMs = 0;
    double sumMs = 0;
    for (auto _ : state) {
        for (std::uint32_t offsetMs = 0; offsetMs < wireMs; ++offsetMs) {
            zr640::testing::ManualClock manual;
            zr640::testing::FakeSerialDevice device(&manual);
            device.byteMicros = static_cast<std::uint32_t>((10'000'000 + baud - 1) / baud);
            zr640::ComPort record;
            record.device = &device;
            zr640::ComPort* port = zr640::OpenComPort(record, 1, baud, 'N', 8, 1, 256);
            CancellingClock clock(manual, manual.NowMs() + offsetMs);
            zr640::platform::OperationEnvironment operation{nullptr, clock};
            clock.operation = &operation;
            const std::uint32_t startMs = manual.NowMs();
            const int result = zr640::ExchangeSentence(operation, port, zr640::ReplyTimeoutMs, 3,
                                                       sentence.c_str(), "$KTWPS");
            if (port == nullptr || result != zr640::kExchangeCancelled) {
                state.SkipWithError("the exchange was not cancelled");
                return;
            }
            const double latencyMs = manual.NowMs() - startMs - offsetMs;
            worstMs = std::max(worstMs, latencyMs);
            sumMs += latencyMs;
        }
    }
    state.counters["sentence_bytes"] = static_cast<double>(sentence.size());
    state.counters["wire_ms"] = wireMs;
    state.counters["worst_ms"] = worstMs;
    state.counters["mean_ms"] =
        sumMs / (static_cast<double>(wireMs) * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_CancelLatencyDuring511ByteSentence)->Arg(1200)->Arg(4800)->Arg(9600)->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
