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
#include "dialog_templates.h"
#include "frontends/qt/dialog_template.h"
#include "frontends/qt/main_dialog.h"
#include "qt_application.h"
#include "recording_clipboard.h"
#include "recording_message_box.h"
#include "sim_process.h"
#include "test_files.h"

namespace zr640::platform {
namespace {

// Runs `action` on the modal window that opens next, inside that window's loop, once it has
// opened: the route dialog opens when a job has read the records.
void OnModal(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->deleteLater();
            poll->stop();
            action(modal);
        }
    });
    poll->start(5);
}

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
    QStringList Log() const {
        QStringList entries;
        const auto* list = qobject_cast<QListWidget*>(dialog->Control(IDC_LOG));
        for (int i = 0; i < list->count(); ++i) entries << list->item(i)->text();
        return entries;
    }
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

// Template 200 as the user sees it, control by control as its table says, in the dialog units
// of the dialog's font; the filter has the focus and Tab visits the tab stops in the table's
// order, past those that are greyed ("Hinzufügen" with the route full, "Nach oben" with its
// first point selected). Then the records of the file with the line skipped (names cut as the
// task sends them) and the route in use.
TEST_F(RouteDialogTest, ShowsTheTemplatesControlsTheFileAndTheRouteInUse) {
    const testing::DialogTemplateTable& table = testing::kRouteDialogTemplate;
    QStringList seen;
    OnModal([&](QWidget* modal) {
        auto* route = qobject_cast<RouteDialogWindow*>(modal);
        ASSERT_NE(route, nullptr);
        const DialogBaseUnits base = BaseUnitsOf(route->font());
        EXPECT_EQ(route->windowTitle(), QString::fromLatin1(table.caption));
        EXPECT_EQ(route->size(), ToPixels({0, 0, table.width, table.height}, base).size());
        QList<int> tabStops;
        for (const testing::TemplateControl& c : table.controls) {
            SCOPED_TRACE(c.id);
            QWidget* control = route->Control(c.id);
            ASSERT_NE(control, nullptr);
            EXPECT_TRUE(control->inherits(testing::QtClassOf(c)));
            if (c.text[0] != '\0') {  // else the program's to set
                EXPECT_EQ(control->property("text").toString(), QString::fromLatin1(c.text));
            }
            EXPECT_EQ(control->geometry(), ToPixels({c.x, c.y, c.width, c.height}, base));
            if ((c.style & testing::kTabStop) && control->isEnabled()) tabStops << c.id;
            const bool button = std::string(c.windowClass) == "Button";
            if (button && (c.style & 0xF) == testing::kDefPushButton) {
                EXPECT_TRUE(qobject_cast<QPushButton*>(control)->isDefault());
            }
        }
        // The window system activates the dialog once it is shown.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == route; }));
        const auto focused = [] {
            return QApplication::focusWidget()->property("controlId").toInt();
        };
        QList<int> visited{focused()};
        while (visited.size() < tabStops.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focused();
        }
        EXPECT_EQ(visited, tabStops);
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
        const auto* points = qobject_cast<QListWidget*>(route->Control(207));
        for (int i = 0; i < points->count(); ++i) seen << points->item(i)->text();
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
}

// Escape changes nothing. Then a route of two points, found by typing in the filter and added
// by a double-click and with "Hinzufügen", the two points of before removed; Enter is OK, which
// writes zr640.ini and logs the route, and "Strecke setzen" sends it to the instrument.
TEST_F(RouteDialogTest, ARouteChosenByTypingAndClickingIsWrittenLoggedAndSent) {
    const std::string before = testing::ReadWholeFile(root.File("zr640.ini"));
    bool escaped = false;
    OnModal([&escaped](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape), escaped = true; });
    controller.OnCommand(IDM_CHOOSE_ROUTE);
    ASSERT_TRUE(ModalCameAndWent([&] { return escaped; }));
    EXPECT_EQ(testing::ReadWholeFile(root.File("zr640.ini")), before);

    QStringList points;
    OnModal([&](QWidget* modal) {
        auto* route = qobject_cast<RouteDialogWindow*>(modal);
        ASSERT_NE(route, nullptr);
        auto* records = qobject_cast<QTreeView*>(route->Control(203));
        auto* add = route->Control(205);
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
        QTest::mouseClick(add, Qt::LeftButton);
        const auto* list = qobject_cast<QListWidget*>(route->Control(207));
        for (int i = 0; i < list->count(); ++i) points << list->item(i)->text();
        route->Control(202)->setFocus();
        QTest::keyClick(route->Control(202), Qt::Key_Return);
        EXPECT_FALSE(route->isVisible());
    });
    DoubleClickLogEntry(0);
    ASSERT_TRUE(ModalCameAndWent([&] { return !points.isEmpty(); }));
    EXPECT_EQ(points, QStringList({QString("1. \u00d6hringen,EDTX"), "2. Bayreuth,EDQD"}));
    EXPECT_EQ(testing::ReadWholeFile(root.File("zr640.ini")),
              "[Strecke]\r\nStreckenPunkt1=\xD6hringen,EDTX\r\nStreckenPunkt2=Bayreuth,EDQD\r\n");
    EXPECT_EQ(Log().mid(4), QStringList({QString("Streckenpunkt 1: \u00d6hringen,EDTX"),
                                         "Streckenpunkt 2: Bayreuth,EDQD", " ", " "}));

    QTest::mouseClick(dialog->Control(IDC_SET_TASK), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.TransferRunning(); }, 10000));
    EXPECT_FALSE(Log().filter(QRegularExpression("^\\$KTWPS,1,2\\*")).isEmpty())
        << Log().join("\n").toStdString();
    EXPECT_NE(testing::ReadWholeFile(root.File("sim.log"))
                  .find("rx $KTWPR,1,1,1,\\xD6hringen,EDTX,Bayreuth,EDQD*"),
              std::string::npos);
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace zr640::platform
