// SPDX-License-Identifier: GPL-3.0-or-later
// What watching the instrument costs the Qt program on an X display (run it under Xvfb): the
// real dialog, controller and termios device against zr640-sim paced at 4800 baud, the share
// of a core the whole process used (getrusage) while its event loop ran. No frames with
// reading on and then off; the built-in flight at a frame every 500 ms; a replay of 600 frames
// every 100 ms with stray bytes after each: whether every frame was logged, and how long after
// the last byte of the last frame its line came.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QListWidget>
#include <QRegularExpression>
#include <QTimer>

#include "app/main_dialog_controller.h"
#include "app/thread_job_runner.h"
#include "backends/posix/ini_profile_file.h"
#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "frontends/qt/main_dialog.h"
#include "frontends/qt/qt_clipboard.h"
#include "frontends/qt/qt_file_chooser.h"
#include "frontends/qt/route_dialog.h"
#include "sim_process.h"
#include "test_files.h"

namespace {

using namespace zr640;
using Clock = std::chrono::steady_clock;

constexpr int kWarmUpMs = 3000;
constexpr int kPhaseMs = 20000;
constexpr int kStreamFrames = 600;
// Behind the stream, a frame that no other line ends like.
constexpr const char* kLastFrameHex = "24 5A 06 00 07 00";
const QString kLastFrameEnding = "Satz:7";

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The program as main() builds it, on the simulator's terminal, shown.
struct Program {
    explicit Program(const std::string& device) : serialDevice(device) { dialog.show(); }

    AppConfig config;
    platform::PosixSerialDevice serialDevice;
    platform::QtFileChooser chooser;
    platform::XdgEditorLauncher editor;
    platform::SteadyClock clock;
    platform::QtClipboard clipboard;
    platform::EventLoopJobRunner jobs;
    platform::IniProfileFile profile;
    platform::QtRouteDialog routeDialog;
    MainDialogController controller{config, {serialDevice, chooser, editor, clock, jobs, clipboard,
                                             platform::kLinuxTextConvention, profile, routeDialog}};
    platform::MainDialog dialog{controller};
    QListWidget& log = *qobject_cast<QListWidget*>(dialog.Control(IDC_LOG));
};

// The share of a core over `ms` of the event loop, in per cent.
double CpuShare(int ms) {
    const double cpuBefore = CpuSeconds();
    const Clock::time_point start = Clock::now();
    RunEventLoop(ms);
    const std::chrono::duration<double> wall = Clock::now() - start;
    return 100.0 * (CpuSeconds() - cpuBefore) / wall.count();
}

void Watch(benchmark::State& state, const std::vector<std::string>& simArguments,
           bool readingOff) {
    for (auto _ : state) {
        test::SimProcess sim;
        if (!sim.Start(simArguments)) {
            state.SkipWithError(sim.Error().c_str());
            return;
        }
        Program program(sim.SlavePath());
        RunEventLoop(kWarmUpMs);
        if (readingOff) program.controller.OnCommand(IDC_RUN);
        state.counters["cpu_percent"] = CpuShare(kPhaseMs);
    }
}

void BM_IdleReadingOn(benchmark::State& state) {
    Watch(state, {"--no-telemetry", "--baud", "4800"}, false);
}
void BM_IdleReadingOff(benchmark::State& state) {
    Watch(state, {"--no-telemetry", "--baud", "4800"}, true);
}
void BM_FrameEvery500ms(benchmark::State& state) {
    Watch(state, {"--interval", "500", "--baud", "4800"}, false);
}

// The frames of tests/wine/data/two_records.frames in turn, then the last frame.
std::string StreamFrames() {
    const std::string pair = zr640::testing::ReadWholeFile(ZR640_TWO_RECORDS_FRAMES);
    std::string frames;
    for (int i = 0; i < kStreamFrames / 2; ++i) frames += pair;
    return frames + kLastFrameHex + "\n";
}

// The numbers of the frames logged: consecutive, no line but a decoded frame's among them.
struct LoggedFrames {
    int count = 0, gaps = 0, others = 0;
    int last = 0;
};

LoggedFrames Check(const QListWidget& log) {
    static const QRegularExpression reading("^Reading +(\\d+) ");
    LoggedFrames frames;
    for (int i = 0; i < log.count(); ++i) {
        const QString text = log.item(i)->text();
        const QRegularExpressionMatch match = reading.match(text);
        if (!match.hasMatch()) continue;
        const int number = match.captured(1).toInt();
        frames.gaps += frames.count > 0 && number != frames.last + 1;
        frames.others += text.contains("Rahmen");
        frames.last = number, ++frames.count;
    }
    return frames;
}

void BM_FrameEvery100msWithStrayBytes(benchmark::State& state) {
    for (auto _ : state) {
        const zr640::testing::TemporaryDirectory directory;
        const std::string path = directory.File("stream.frames");
        zr640::testing::WriteBytes(path, StreamFrames());
        test::SimProcess sim;
        if (!sim.Start({"--frames", path, "--once", "--interval", "100", "--garbage", "--baud",
                        "4800"})) {
            state.SkipWithError(sim.Error().c_str());
            return;
        }
        Program program(sim.SlavePath());
        std::atomic<Clock::rep> sentAt{0};
        std::thread announcements([&] {
            while (const auto line = sim.ReadLine(2 * kStreamFrames * 100)) {
                if (*line == "replay sent") {
                    sentAt = Clock::now().time_since_epoch().count();
                    return;
                }
            }
        });
        Clock::time_point loggedAt{};
        QEventLoop loop;
        QObject::connect(program.log.model(), &QAbstractItemModel::rowsInserted, &loop,
                         [&](const QModelIndex&, int first, int) {
                             if (program.log.item(first)->text().endsWith(kLastFrameEnding)) {
                                 loggedAt = Clock::now();
                                 QTimer::singleShot(500, &loop, &QEventLoop::quit);
                             }
                         });
        const double cpuBefore = CpuSeconds();
        const Clock::time_point start = Clock::now();
        QTimer::singleShot(2 * kStreamFrames * 100, &loop, &QEventLoop::quit);
        loop.exec();
        const std::chrono::duration<double> wall = Clock::now() - start;
        state.counters["cpu_percent"] = 100.0 * (CpuSeconds() - cpuBefore) / wall.count();
        announcements.join();
        const Clock::time_point sent{Clock::duration(sentAt.load())};
        state.counters["last_frame_lag_ms"] =
            sentAt != 0 && loggedAt != Clock::time_point{}
                ? std::chrono::duration<double, std::milli>(loggedAt - sent).count()
                : -1;
        const LoggedFrames frames = Check(program.log);
        state.counters["frames_logged"] = frames.count;
        state.counters["numbering_gaps"] = frames.gaps;
        state.counters["broken_frames"] = frames.others;
    }
}

BENCHMARK(BM_IdleReadingOn)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_IdleReadingOff)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_FrameEvery500ms)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_FrameEvery100msWithStrayBytes)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
