// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding throughput of the two telemetry records, and of cutting frames out of bytes.
// At 4800 baud the instrument delivers at most about 10 flight records a second, so any
// figure in the hundreds of thousands leaves the user-interface thread idle. And what one
// poll tick costs when a full input buffer of stray bytes waits on a real pseudo-terminal.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <thread>

#include "fake_dialog_controls.h"
#include "opened_port.h"
#include "pty_pair.h"
#include "telemetry/frame_assembler.h"
#include "telemetry/records.h"
#include "telemetry/telemetry_reader.h"

namespace {

zr640::FrameBytes Frame(std::initializer_list<std::uint8_t> bytes) {
    zr640::FrameBytes frame{};
    std::size_t i = 0;
    for (std::uint8_t byte : bytes) {
        frame[i++] = byte;
    }
    return frame;
}

const zr640::FrameBytes kFlightFrame =
    Frame({0x24, 0x41, 0x2D, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x8D, 0x0E, 0xD2, 0x04, 0xF0,
           0x05, 0x1E, 0x05, 0xE9, 0x02, 0xF4, 0xFF, 0x6A, 0xFF, 0x0F, 0x00, 0xF8, 0xFF, 0x17,
           0x00, 0x51, 0x04, 0xDB, 0x03, 0x91, 0x0A, 0x80, 0x57, 0x04, 0x86, 0x7E, 0xCD, 0x87,
           0xAC, 0xD3, 0xFF});
const zr640::FrameBytes kStatusFrame =
    Frame({0x24, 0x41, 0x19, 0x00, 0x02, 0x41, 0x31, 0x32, 0x33, 0x34, 0x00, 0x03, 0x1F,
           0x19, 0xFE, 0xDD, 0xFF, 0x78, 0x00, 0x57, 0x00, 0x82, 0x7B, 0x53, 0xD1});

void BM_FormatFlightDataRecord(benchmark::State& state) {
    std::int32_t counter = 0;
    for (auto _ : state) {
        std::string line = zr640::FormatFlightDataRecord(kFlightFrame.data(), ++counter);
        benchmark::DoNotOptimize(line);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * kFlightFrame[2]);
}
BENCHMARK(BM_FormatFlightDataRecord);

void BM_FormatDeviceStatusRecord(benchmark::State& state) {
    std::int32_t counter = 0;
    for (auto _ : state) {
        std::string line = zr640::FormatDeviceStatusRecord(kStatusFrame.data(), ++counter);
        benchmark::DoNotOptimize(line);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * kStatusFrame[2]);
}
BENCHMARK(BM_FormatDeviceStatusRecord);

// Cutting a flight frame out of its bytes, the buffer clearing included.
void BM_AssembleFlightFrame(benchmark::State& state) {
    zr640::FrameBytes buffer{};
    const int length = kFlightFrame[2];
    for (auto _ : state) {
        zr640::FrameAssembler frame(buffer);
        for (int i = 1; i < length; ++i) {
            frame.Add(kFlightFrame[i]);
        }
        benchmark::DoNotOptimize(buffer);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * length);
}
BENCHMARK(BM_AssembleFlightFrame);

// One tick that finds kMaxBytesBeforeFrame stray bytes (no dollar sign) waiting: it takes
// them all, up to its bound, and returns. Filling the line is not timed.
void BM_TickWithFullBacklogOfStrayBytes(benchmark::State& state) {
    zr640::testing::PtyPair pty;
    const zr640::bench::OpenedPort opened(pty.SlavePath());
    zr640::ComPort* const port = opened.port;
    if (port == nullptr) {
        state.SkipWithError("no port on the pseudo-terminal");
        return;
    }
    zr640::platform::SteadyClock clock;
    zr640::testing::FakeDialogControls dialog;
    zr640::TelemetryReader reader;
    const std::string backlog(zr640::kMaxBytesBeforeFrame, 'A');
    std::int64_t taken = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pty.Send(backlog);
        // The terminal layer moves the bytes to the reading side in the background.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        state.ResumeTiming();
        zr640::PollTelemetry(port, reader, dialog, &dialog.log, clock);
        state.PauseTiming();
        taken += static_cast<std::int64_t>(backlog.size());
        while (zr640::WaitComInput(port, 5) == zr640::platform::InputWait::Ready) {
            while (zr640::ReadComByte(port) >= 0) --taken;
        }
        state.ResumeTiming();
    }
    state.counters["bytes_per_tick"] =
        benchmark::Counter(static_cast<double>(taken), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_TickWithFullBacklogOfStrayBytes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
