// SPDX-License-Identifier: GPL-3.0-or-later
// What one log line costs the user-interface thread in the Qt front end: LogPrintf into the
// visible list, and the layout and painting that the event loop then does for it.
#include <benchmark/benchmark.h>

#include <clocale>

#include <QApplication>
#include <QListWidget>

#include "platform/event_log.h"
#include "frontends/qt/dialog_template.h"
#include "frontends/qt/qt_list_view.h"

namespace {

using zr640::platform::QtListView;

// After the frame's number, which makes every line another.
constexpr const char* kFlightLine =
    " Satznr 0 FlugZeitSek:1803 AktivDistanz:130.00 SDTHoehe:1665 QFEHoehe:1145 "
    "LoggerFixZaehler:450 DeltaV:15 GleitPfadDifferenz:-352 VarioMittelwert:1.20 "
    "Nettovario:0.80 Vario:1.50 TAS:95.00 Groundspeed:88.00 Track:245.00 Breite: 49.901234 "
    "N 49 54' 4.44\" Laenge: 11.102345 E 11 6' 8.44\" DiffWinkel:12\n";

// The event log as the dialog has it: in a window, its place, size and font, the 2048-pixel
// extent, shown.
struct VisibleLog {
    VisibleLog() {
        window.setFont(zr640::platform::DialogFont());
        const auto base = zr640::platform::BaseUnitsOf(window.font());
        window.resize(zr640::platform::ToPixels({0, 0, 506, 375}, base).size());
        widget.setGeometry(zr640::platform::ToPixels({8, 32, 488, 280}, base));
        widget.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        list.SetHorizontalExtent(2048);
        window.show();
        QApplication::processEvents();
    }
    QWidget window;
    QListWidget widget{&window};
    QtListView list{widget};
    zr640::EventLog eventLog{&list};
};

void BM_LogLineBelowTheCap(benchmark::State& state) {
    VisibleLog log;
    int frame = 0;
    for (auto _ : state) {
        if (log.list.Count() >= 1900) {
            state.PauseTiming();
            log.widget.clear();
            state.ResumeTiming();
        }
        zr640::LogPrintf(&log.eventLog, "Reading %5d%s", ++frame, kFlightLine);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_LogLineBelowTheCap)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_LogLineAtTheCap(benchmark::State& state) {
    VisibleLog log;
    int frame = 0;
    for (int i = 0; i < zr640::kEventLogCap; ++i) {
        log.widget.addItem(QString("Zeile %1").arg(i));
    }
    QApplication::processEvents();
    for (auto _ : state) {
        zr640::LogPrintf(&log.eventLog, "Reading %5d%s", ++frame, kFlightLine);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_LogLineAtTheCap)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
