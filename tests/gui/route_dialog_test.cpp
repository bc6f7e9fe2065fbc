// SPDX-License-Identifier: GPL-3.0-or-later
// The route dialog of the Qt front end offscreen, opened from the main dialog with the real
// controller over zr640.ini in a temporary directory and the real zr640-sim on its pty: what
// the user sees of template 200, and a route chosen by typing and clicking that the simulator
// then receives as the task.
#include "frontends/qt/route_dialog.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeView>

#include "backends/posix/ini_profile_file.h"
#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "config/route.h"
#include "frontends/qt/main_dialog.h"
#include "qt_application.h"
#include "qt_dialog_checks.h"
#include "recording_clipboard.h"
#include "recording_message_box.h"
#include "sim_process.h"
#include "test_files.h"

namespace zr640::platform {
namespace {

using testing::OnModal;

// A double-click as the system delivers it: press and release, then the double-click (which
// QTest sends alone to a widget, and a view takes only on the row that was pressed).
void DoubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, at);
}

// The waypoint file the user has chosen.
struct ChosenFile final : FileChooser {
    explicit ChosenFile(std::string file) : path(std::move(file)) {}
    bool ChooseFile(const FileChooserRequest&, std::string& chosen) override {
        return chosen = path, true;
    }
    std::string path;
};

// The simulator, started before the port that opens its pty.
struct StartedSim {
    explicit StartedSim(const std::string& log) {
        started = process.Start({"--no-telemetry", "--log", log});
    }
    test::SimProcess process;
    bool started = false;
};

class RouteDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        zr640::testing::NeedQtApplication();
        ASSERT_TRUE(sim.started) << sim.process.Error();
        dialog = std::make_unique<MainDialog>(controller);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        QTest::mouseClick(dialog->Control(IDC_CHOOSE), Qt::LeftButton);
    }

    static AppConfig ConfigOf(const std::string& ini) {
        testing::WriteBytes(ini, "[Strecke]\r\nStreckenPunkt1=Lauf-Lillinghof,EDQI\r\n"
                                 "StreckenPunkt2=Oschersleben,EDOL\r\n");
        AppConfig read;
        read.MaxLaengeName1 = 12;
        read.ConfigFilePath = ini;
        SetRoute(ReadRouteValues(profile, ini.c_str()), read);
        return read;
    }
    static std::string WaypointFile(const std::string& path) {
        testing::WriteBytes(path, "M\xFCnster S\xFC" "d,EDDG,N\r\n\xD6hringen,EDTX,N\r\n"
                                  "Bayreuth,EDQD,N\r\n" + std::string(600, 'x') + "\r\n"
                                  "Bad S\xE4" "ckingen,EDTS\r\n");
        return path;
    }
    QStringList Log() const { return testing::EntriesOf(dialog->Control(IDC_LOG)); }
    // Until the modal window of OnModal has done its part (`done`) and closed.
    static bool ModalCameAndWent(const std::function<bool()>& done) {
        return QTest::qWaitFor(
            [&] { return done() && QApplication::activeModalWidget() == nullptr; });
    }
    void DoubleClickLogEntry(int row) {
        auto* list = qobject_cast<QListWidget*>(dialog->Control(IDC_LOG));
        // The entries are 2048 pixels wide: their left end is in view.
        const QPoint at(20, list->visualItemRect(list->item(row)).center().y());
        DoubleClick(list->viewport(), at);
    }

    static inline IniProfileFile profile;
    testing::TemporaryDirectory root;
    testing::RecordingMessageBox messages;
    StartedSim sim{root.File("sim.log")};
    AppConfig config = ConfigOf(root.File("zr640.ini"));
    PosixSerialDevice device{sim.process.SlavePath()};
    ChosenFile chooser{WaypointFile(root.File("punkte.wht"))};
    XdgEditorLauncher editor;
    SteadyClock clock;
    EventLoopJobRunner jobs;
    QtRouteDialog routeDialog;
    testing::RecordingClipboard clipboard;
    MainDialogController controller{config,
                                    {device, chooser, editor, clock, jobs, clipboard,
                                     kLinuxTextConvention, profile, routeDialog}};
    std::unique_ptr<MainDialog> dialog;
};

// Template 200 as its table says, opened on a route line of the log: the filter has the focus,
// Tab passes over what is greyed ("Hinzufügen" with the route full, "Nach oben" with its first
// point selected); the file's records with the line skipped (names cut as the task sends them)
// and the route in use; Escape changes nothing. Then, opened from the menus' command, a route of
// two points found by typing in the filter and added by a double-click and with "Hinzufügen",
// the two of before removed; Enter is OK, and "Strecke setzen" sends what the log shows.
TEST_F(RouteDialogTest, ShowsItsTemplateTheFileAndTheRouteAndTakesARouteChosenByKeysAndMouse) {
    const std::string before = testing::ReadWholeFile(root.File("zr640.ini"));
    QStringList seen;
    OnModal([&](QWidget* modal) {
        auto* route = qobject_cast<RouteDialogWindow*>(modal);
        ASSERT_NE(route, nullptr);
        testing::ExpectLaidOutAsTemplate(route, testing::kRouteDialogTemplate);
        EXPECT_EQ(route->Control(204)->property("text").toString(),
                  QString("1 Zeile \u00fcbersprungen"));
        const auto* records = qobject_cast<QTreeView*>(route->Control(203));
        for (int row = 0; row < records->model()->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < 3; ++column) {
                cells << records->model()->index(row, column).data().toString();
            }
            seen << cells.join("|");
        }
        for (int column = 0; column < 3; ++column) {
            seen << records->model()->headerData(column, Qt::Horizontal).toString();
        }
        seen << testing::EntriesOf(route->Control(207));
        QTest::keyClick(route, Qt::Key_Escape);
    });
    DoubleClickLogEntry(1);
    ASSERT_TRUE(ModalCameAndWent([&] { return !seen.isEmpty(); }));
    EXPECT_EQ(seen.join("\n").toStdString(),
              QStringList({QString("M\u00fcnster S\u00fcd|EDDG|1"), QString("\u00d6hringen|EDTX|2"),
                           "Bayreuth|EDQD|3", QString("Bad S\u00e4ckinge|EDTS|5"), "Name",
                           "Kennung", "Zeile", "1. Lauf-Lilling,EDQI", "2. Oschersleben,EDOL"})
                  .join("\n")
                  .toStdString());
    EXPECT_EQ(testing::ReadWholeFile(root.File("zr640.ini")), before);

    QStringList points;
    OnModal([&](QWidget* modal) {
        auto* route = qobject_cast<RouteDialogWindow*>(modal);
        ASSERT_NE(route, nullptr);
        auto* records = qobject_cast<QTreeView*>(route->Control(203));
        for (int i = 0; i < 2; ++i) QTest::mouseClick(route->Control(208), Qt::LeftButton);
        EXPECT_FALSE(route->Control(208)->isEnabled());
        QTest::sendKeyEvent(QTest::Click, route->Control(202), Qt::Key_Odiaeresis,
                            QString("\u00f6"), Qt::NoModifier);
        QTest::keyClicks(route->Control(202), "H");
        ASSERT_EQ(records->model()->rowCount(), 1);
        const QModelIndex first = records->model()->index(0, 0);
        DoubleClick(records->viewport(), records->visualRect(first).center());
        qobject_cast<QLineEdit*>(route->Control(202))->clear();
        QTest::keyClicks(route->Control(202), "edqd");
        ASSERT_EQ(records->model()->rowCount(), 1);
        QTest::mouseClick(route->Control(205), Qt::LeftButton);
        points = testing::EntriesOf(route->Control(207));
        route->Control(202)->setFocus();
        QTest::keyClick(route->Control(202), Qt::Key_Return);
        EXPECT_FALSE(route->isVisible());
    });
    controller.OnCommand(IDM_CHOOSE_ROUTE);
    ASSERT_TRUE(ModalCameAndWent([&] { return !points.isEmpty(); }));
    EXPECT_EQ(points, QStringList({QString("1. \u00d6hringen,EDTX"), "2. Bayreuth,EDQD"}));
    EXPECT_EQ(Log().mid(4), QStringList({QString("Streckenpunkt 1: \u00d6hringen,EDTX"),
                                         "Streckenpunkt 2: Bayreuth,EDQD", " ", " "}));
    QTest::mouseClick(dialog->Control(IDC_SET_TASK), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.TransferRunning(); }, 10000));
    EXPECT_FALSE(Log().filter(QRegularExpression("^\\$KTWPS,1,2\\*")).isEmpty())
        << Log().join("\n").toStdString();
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace zr640::platform
