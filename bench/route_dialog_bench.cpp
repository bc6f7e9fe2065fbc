// SPDX-License-Identifier: GPL-3.0-or-later
// What the route dialog of the Qt front end costs over a waypoint file of 10,000 records: its
// opening (the file read into the chooser, the window built, shown and painted) and one
// keystroke in the filter (the records filtered again, the list reset and repainted).
#include <benchmark/benchmark.h>

#include <string>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include "app/route_chooser.h"
#include "frontends/qt/route_dialog.h"
#include "platform/route_dialog_layout.h"
#include "qt_application.h"
#include "sample_waypoints.h"
#include "test_files.h"

namespace {

using zr640::platform::RouteDialogWindow;



constexpr int kRecords = 10000;

// The sample file once for all runs, names of up to 32 characters as the instrument takes them.
struct SampleFile {
    SampleFile() {
        zr640::testing::WriteBytes(path, zr640::testing::SampleWaypointFile(
                                             zr640::testing::SampleWaypoints(kRecords)));
        config.MaxLaengeName1 = 32;
        config.MaxLaengeName2 = 5;
    }
    zr640::testing::TemporaryDirectory directory;
    std::string path = directory.File("viele.wht");
    zr640::AppConfig config;
};

SampleFile& Sample() {
    static SampleFile sample;
    return sample;
}

void Paint(RouteDialogWindow& window) {
    window.repaint();
    static_cast<QTreeView*>(window.Control(IDC_ROUTE_RECORDS))->viewport()->repaint();
}

// The Qt application is made by the first benchmark that runs: benchmark_main has no room
// before.
void BM_OpenWith10000Records(benchmark::State& state) {
    zr640::testing::NeedQtApplication();
    for (auto _ : state) {
        zr640::RouteChooser chooser(Sample().config);
        zr640::LoadRouteRecords(Sample().path, Sample().config, chooser);
        RouteDialogWindow window(chooser, [] { return true; }, nullptr);
        window.show();
        QApplication::processEvents();
        Paint(window);
        state.counters["rows"] = chooser.RowCount();
    }
}
BENCHMARK(BM_OpenWith10000Records)->Unit(benchmark::kMillisecond)->UseRealTime();

// "berg" typed and taken back, key by key: each narrows or widens the 10,000 records.
void BM_FilterKeystroke(benchmark::State& state) {
    zr640::testing::NeedQtApplication();
    zr640::RouteChooser chooser(Sample().config);
    zr640::LoadRouteRecords(Sample().path, Sample().config, chooser);
    RouteDialogWindow window(chooser, [] { return true; }, nullptr);
    window.show();
    QApplication::processEvents();
    QWidget* filter = window.Control(IDC_ROUTE_FILTER);
    const Qt::Key keys[] = {Qt::Key_B, Qt::Key_E, Qt::Key_R, Qt::Key_G, Qt::Key_Backspace,
                            Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace};
    std::size_t next = 0;
    for (auto _ : state) {
        QTest::keyClick(filter, keys[next++ % std::size(keys)]);
        Paint(window);
    }
}
BENCHMARK(BM_FilterKeystroke)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
