// SPDX-License-Identifier: GPL-3.0-or-later
// A waypoint upload of 1000 records to the real zr640-sim over a pseudo-terminal: how close a
// paced line keeps it to the time its bytes need, and what each record costs the tool itself.
// And an upload through the controller and its job runner: how often the job wakes the
// dialog's thread per record.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/event_log.h"
#include "backends/posix/ini_profile_file.h"
#include "closed_route_dialog.h"
#include "config/app_config.h"
#include "dialog_loop.h"
#include "fake_dialog_controls.h"
#include "opened_port.h"
#include "recording_clipboard.h"
#include "sample_waypoints.h"
#include "serial/sentence.h"
#include "sim_process.h"
#include "test_files.h"
#include "transfer/transfer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRecords = 1000;
constexpr double kBitsPerByte = 10.0;

double ProcessCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A log that costs what a list control's bookkeeping costs, and counts the bytes of the
// instrument's replies that pass through it (each logged without its line feed).
class CountingLog final : public zr640::platform::ListView {
public:
    void AddString(const char* text) override {
        if (std::strncmp(text, "$KTWPO", 6) == 0 || std::strncmp(text, "$KTWPA", 6) == 0) {
            replyBytes += std::strlen(text) + 1;
        }
        entries.emplace_back(text);
    }
    int Count() const override { return static_cast<int>(entries.size()); }
    void DeleteString(int index) override { entries.erase(entries.begin() + index); }
    void SetCurSel(int) override {}
    void SetHorizontalExtent(int) override {}
    std::string GetText(int index) const override { return entries.at(std::size_t(index)); }
    int GetCurSel() const override { return -1; }

    std::deque<std::string> entries;
    std::size_t replyBytes = 0;
};

// The file of 1000 records and the bytes its sentences put on the wire.
struct UploadFile {
    UploadFile() {
        for (const auto& waypoint : waypoints) {
            std::string body = "$KTWPU";
            for (const std::string& field : waypoint.fields) body += "," + field;
            sentenceBytes += zr640::FrameSentence(body).size();
        }
        sentenceBytes += zr640::FrameSentence("$KTWPI,Replace").size();
        zr640::testing::WriteBytes(path, zr640::testing::SampleWaypointFile(waypoints));
    }

    std::vector<zr640::testing::SampleWaypoint> waypoints =
        zr640::testing::SampleWaypoints(kRecords);
    zr640::testing::TemporaryDirectory directory;
    const std::string path = directory.File("sample.wht");
    std::size_t sentenceBytes = 0;
};

struct UploadRun {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    std::size_t wireBytes = 0;
    bool complete = false;
};

// One Replace upload of the file to a fresh simulator started with `simOptions`.
UploadRun RunUpload(const UploadFile& upload, const std::vector<std::string>& simOptions) {
    UploadRun run;
    zr640::test::SimProcess sim;
    if (!sim.Start(simOptions)) return run;
    const zr640::bench::OpenedPort opened(sim.SlavePath());
    zr640::ComPort* const port = opened.port;
    if (port == nullptr) return run;

    zr640::AppConfig config;
    config.MaxLaengeName1 = 32;
    config.MaxLaengeName2 = 5;
    zr640::platform::SteadyClock clock;
    CountingLog list;
    zr640::EventLog log(&list);
    zr640::platform::OperationEnvironment operation{&log, clock};
    zr640::TransferContext context{operation, port, config, upload.path};

    const double cpuStart = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    zr640::UploadWaypointFile(zr640::UploadMode::Replace, context);
    run.wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.cpuSeconds = ProcessCpuSeconds() - cpuStart;
    run.wireBytes = upload.sentenceBytes + list.replyBytes;
    run.complete = !list.entries.empty() && list.entries.size() >= 4 &&
                   list.entries[list.entries.size() - 4].rfind("Replace fertig, 1000 ", 0) == 0;
    sim.Stop(SIGTERM);
    return run;
}

// At 4800 baud the upload is bound by the line: wall time against the bytes' own time.
void BM_Upload1000RecordsAt4800Baud(benchmark::State& state) {
    const UploadFile upload;
    for (auto _ : state) {
        const UploadRun run = RunUpload(upload, {"--no-telemetry", "--baud", "4800"});
        if (!run.complete) {
            state.SkipWithError("upload did not complete");
            return;
        }
        const double wireSeconds = static_cast<double>(run.wireBytes) * kBitsPerByte / 4800.0;
        state.SetIterationTime(run.wallSeconds);
        state.counters["wire_bytes"] = static_cast<double>(run.wireBytes);
        state.counters["wire_s"] = wireSeconds;
        state.counters["upload_s"] = run.wallSeconds;
        state.counters["over_wire_pct"] = (run.wallSeconds / wireSeconds - 1.0) * 100.0;
    }
}
BENCHMARK(BM_Upload1000RecordsAt4800Baud)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// Unpaced, the simulator answers at once: what is left is the tool's own work per record.
void BM_Upload1000RecordsUnpaced(benchmark::State& state) {
    const UploadFile upload;
    double cpuSeconds = 0;
    double wallSeconds = 0;
    for (auto _ : state) {
        const UploadRun run = RunUpload(upload, {"--no-telemetry"});
        if (!run.complete) {
            state.SkipWithError("upload did not complete");
            return;
        }
        state.SetIterationTime(run.wallSeconds);
        cpuSeconds += run.cpuSeconds;
        wallSeconds += run.wallSeconds;
    }
    const double records = static_cast<double>(state.iterations()) * kRecords;
    state.counters["tool_cpu_ms_per_record"] = cpuSeconds * 1e3 / records;
    state.counters["wall_ms_per_record"] = wallSeconds * 1e3 / records;
}
BENCHMARK(BM_Upload1000RecordsUnpaced)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

struct SampleFileChooser final : zr640::platform::FileChooser {
    explicit SampleFileChooser(std::string chosenPath) : path(std::move(chosenPath)) {}
    bool ChooseFile(const zr640::platform::FileChooserRequest&, std::string& chosen) override {
        chosen = path;
        return true;
    }
    std::string path;
};

struct NoEditor final : zr640::platform::EditorLauncher {
    void OpenInEditor(const char*) override {}
};

// "Replace WP's" of 50 records through the controller and the real ThreadJobRunner, the
// simulator paced at 4800 baud: the wake-ups of the dialog's thread per record.
void BM_WakeUpsPerRecord(benchmark::State& state) {
    constexpr int kWakeRecords = 50;
    zr640::testing::TemporaryDirectory directory;
    const std::string file = directory.File("sample.wht");
    zr640::testing::WriteBytes(
        file, zr640::testing::SampleWaypointFile(zr640::testing::SampleWaypoints(kWakeRecords)));
    double wakeUps = 0;
    for (auto _ : state) {
        zr640::test::SimProcess sim;
        if (!sim.Start({"--no-telemetry", "--baud", "4800", "--link", directory.File("line")})) {
            state.SkipWithError("no simulator");
            return;
        }
        zr640::AppConfig config;
        config.Device = directory.File("line");
        config.MaxLaengeName1 = 32;
        config.MaxLaengeName2 = 5;
        zr640::platform::PosixSerialDevice device(config.Device);
        SampleFileChooser chooser(file);
        NoEditor editor;
        zr640::platform::SteadyClock clock;
        zr640::testing::FakeDialogControls dialog;
        zr640::testing::DialogLoop loop;
        zr640::platform::IniProfileFile profile;
        zr640::testing::ClosedRouteDialog routeDialog;
        zr640::testing::RecordingClipboard clipboard;
        zr640::MainDialogController controller(
            config, {device, chooser, editor, clock, loop.jobs, clipboard,
                     zr640::platform::kLinuxTextConvention, profile, routeDialog});
        controller.OnInitDialog(dialog);
        controller.OnCommand(IDC_CHOOSE);
        const long before = loop.wakeUps;
        const Clock::time_point start = Clock::now();
        controller.OnCommand(IDC_REPLACE);
        loop.RunUntil(controller, [&] { return !controller.TransferRunning(); },
                      std::chrono::seconds(120));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        const auto& log = dialog.list.entries;
        if (std::find(log.begin(), log.end(), "Replace fertig, 50 S\xE4tze \xFC" "bertragen!") ==
            log.end()) {
            state.SkipWithError("upload did not complete");
            return;
        }
        wakeUps += static_cast<double>(loop.wakeUps - before);
        controller.OnDestroy();
    }
    state.counters["wake_ups_per_record"] =
        wakeUps / (kWakeRecords * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_WakeUpsPerRecord)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
