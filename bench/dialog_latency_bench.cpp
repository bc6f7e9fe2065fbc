// SPDX-License-Identifier: GPL-3.0-or-later
// How long the Qt dialog's thread goes without handling an event while a transfer runs: an
// upload of 200 records to the simulator paced at 4800 baud, then three silent attempts of
// record 201. A timer of 5 ms notes the gap between its ticks; the longest gap and the 99th
// percentile of each phase are reported (a gap of 5 ms means the loop never waited).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QTimer>

#include "app/main_dialog_controller.h"
#include "app/thread_job_runner.h"
#include "backends/posix/ini_profile_file.h"
#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "frontends/qt/main_dialog.h"
#include "frontends/qt/route_dialog.h"
#include "recording_clipboard.h"
#include "sample_waypoints.h"
#include "test_files.h"
#include "sim_process.h"

namespace {

class FixedChooser final : public zr640::platform::FileChooser {
public:
    explicit FixedChooser(std::string path) : path_(std::move(path)) {}
    bool ChooseFile(const zr640::platform::FileChooserRequest&, std::string& chosen) override {
        chosen = path_;
        return true;
    }

private:
    std::string path_;
};

struct Gaps {
    double longestMs = 0;
    double p99Ms = 0;
};

// Runs the event loop until an entry that begins with `prefix` is logged, noting the gaps.
Gaps LoopUntilLogged(QListWidget& log, const QString& prefix) {
    std::vector<double> gapsMs;
    QElapsedTimer sinceTick;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
                     [&] {
                         gapsMs.push_back(static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
                         sinceTick.start();
                     });
    QEventLoop loop;
    QObject::connect(log.model(), &QAbstractItemModel::rowsInserted, &loop,
                     [&](const QModelIndex&, int first, int) {
                         if (log.item(first)->text().startsWith(prefix)) loop.quit();
                     });
    sinceTick.start();
    probe.start(5);
    loop.exec();
    std::sort(gapsMs.begin(), gapsMs.end());
    if (gapsMs.empty()) return {};
    return {gapsMs.back(), gapsMs[gapsMs.size() * 99 / 100]};
}

void BM_DialogGapsDuringTransfer(benchmark::State& state) {
    using namespace zr640;
    for (auto _ : state) {
        test::SimProcess sim;
        if (!sim.Start({"--no-telemetry", "--baud", "4800", "--silent-after", "200"})) {
            state.SkipWithError(sim.Error().c_str());
            return;
        }
        const zr640::testing::TemporaryDirectory directory;
        const std::string path = directory.File("sample.wht");
        const auto waypoints = zr640::testing::SampleWaypoints(201);
        zr640::testing::WriteBytes(path, zr640::testing::SampleWaypointFile(waypoints));
        AppConfig config;
        config.MaxLaengeName1 = 32;
        config.MaxLaengeName2 = 5;
        platform::PosixSerialDevice device(sim.SlavePath());
        FixedChooser chooser(path);
        platform::XdgEditorLauncher editor;
        platform::SteadyClock clock;
        platform::EventLoopJobRunner jobs;
        platform::IniProfileFile profile;
        platform::QtRouteDialog routeDialog;
        zr640::testing::RecordingClipboard clipboard;
        MainDialogController controller(
            config, {device, chooser, editor, clock, jobs, clipboard, platform::kLinuxTextConvention,
                     profile, routeDialog});
        platform::MainDialog dialog(controller);
        dialog.show();
        auto& log = *qobject_cast<QListWidget*>(dialog.Control(IDC_LOG));
        controller.OnCommand(IDC_CHOOSE);
        controller.OnCommand(IDC_UPDATE);
        const Gaps upload = LoopUntilLogged(log, "WP 201:");
        const Gaps silent = LoopUntilLogged(log, "Abbruch, Fehler bei resend!!");
        state.counters["upload_longest_ms"] = upload.longestMs;
        state.counters["upload_p99_ms"] = upload.p99Ms;
        state.counters["silent_longest_ms"] = silent.longestMs;
        state.counters["silent_p99_ms"] = silent.p99Ms;
    }
}
BENCHMARK(BM_DialogGapsDuringTransfer)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
