// The route dialog of the Qt front end offscreen, opened from the main dialog with the real
// controller over zr640.ini in a temporary directory and the real zr640-sim on its pty: what
// the user sees of template 200, and a route chosen by typing and clicking that the simulator
// then receives as the task.
#include "frontends/qt/route_dialog.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
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
#include "recording_message_box.h"
#include "sim_process.h"
#include "test_files.h"

namespace zr640::platform {
namespace {

// Runs `action` on the modal window that the next event opens, inside that window's loop.
void OnModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, qApp, [action] { action(QApplication::activeModalWidget()); });
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
    explicit StartedSim(const std::string& log) { started = process.Start({"--no-telemetry", "--log", log}); }
    test::SimProcess process;
    bool started = false;
};

class RouteDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char* argv[] = {const_cast<char*>("zr640-gui-test"), nullptr};
        if (qApp == nullptr) new QApplication(argc, argv);
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
    MainDialogController controller{config,
                                    {device, chooser, editor, clock, jobs, profile, routeDialog}};
    std::unique_ptr<MainDialog> dialog;
};

// Template 200 as the user sees it: each control, in tab order, with its kind, text and place,
// written out here in dialog units and mapped through the dialog font's base units; then the
// records of the file with the line skipped, the route in use and the filter focused.
TEST_F(RouteDialogTest, ShowsTheTemplatesControlsTheFileAndTheRouteInUse) {
    struct Expected {
        int id;
        const char* kind;
        QString text;
        QRect units;
    };
    const std::vector<Expected> expected = {
        {201, "QLabel", "&Suchen:", {7, 9, 32, 8}},
        {202, "QLineEdit", "", {42, 7, 195, 12}},
        {203, "QTreeView", "", {7, 24, 230, 164}},
        {204, "QLabel", "1 Zeile \u00fcbersprungen", {7, 193, 230, 8}},
        {205, "QPushButton", "&Hinzuf\u00fcgen", {243, 24, 54, 14}},
        {206, "QLabel", "S&trecke:", {303, 9, 100, 8}},
        {207, "QListWidget", "", {303, 24, 100, 44}},
        {208, "QPushButton", "&Entfernen", {303, 72, 60, 14}},
        {209, "QPushButton", "Nach &oben", {303, 89, 60, 14}},
        {210, "QPushButton", "Nach &unten", {303, 106, 60, 14}},
        {1, "QPushButton", "OK", {299, 193, 50, 14}},
        {2, "QPushButton", "Abbrechen", {353, 193, 50, 14}},
    };
    QStringList seen;
    OnModal([&](QWidget* modal) {
        auto* route = qobject_cast<RouteDialogWindow*>(modal);
        ASSERT_NE(route, nullptr);
        const DialogBaseUnits base = BaseUnitsOf(route->font());
        const auto pixels = [&](QRect u) {
            return ToPixels({u.x(), u.y(), u.width(), u.height()}, base);
        };
        for (const Expected& e : expected) {
            QWidget* control = route->Control(e.id);
            ASSERT_NE(control, nullptr) << e.id;
            EXPECT_STREQ(control->metaObject()->className(), e.kind) << e.id;
            EXPECT_EQ(control->property("text").toString(), e.text) << e.id;
            EXPECT_EQ(control->geometry(), pixels(e.units)) << e.id;
        }
        EXPECT_EQ(route->size(), pixels({0, 0, 410, 214}).size());
        EXPECT_EQ(route->windowTitle(), QString("Strecke w\u00e4hlen"));
        EXPECT_TRUE(qobject_cast<QPushButton*>(route->Control(1))->isDefault());
        // The filter has the focus; Tab goes round in template order, past "Nach oben", which
        // is greyed with the first point selected.
        // The window system activates the dialog once it is shown.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == route; }));
        EXPECT_EQ(QApplication::focusWidget(), route->Control(202));
        for (int id : {203, 205, 207, 208, 210, 1, 2, 202}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), route->Control(id)) << id;
        }
        const auto* records = qobject_cast<QTreeView*>(route->Control(203));
        for (int row = 0; row < records->model()->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < 3; ++column) {
                cells << records->model()->index(row, column).data().toString();
            }
            seen << cells.join("|");
        }
        seen << records->model()->headerData(1, Qt::Horizontal).toString();
        for (int i = 0; i < qobject_cast<QListWidget*>(route->Control(207))->count(); ++i) {
            seen << qobject_cast<QListWidget*>(route->Control(207))->item(i)->text();
        }
        QTest::keyClick(route, Qt::Key_Escape);
    });
    DoubleClickLogEntry(1);
    EXPECT_EQ(seen.join("\n").toStdString(), QStringList({QString("M\u00fcnster S\u00fcd|EDDG|1"), QString("\u00d6hringen|EDTX|2"),
                                 "Bayreuth|EDQD|3", QString("Bad S\u00e4ckinge|EDTS|5"), "Kennung",
                                 "1. Lauf-Lilling,EDQI", "2. Oschersleben,EDOL"})
                                 .join("\n").toStdString());
}

// Escape changes nothing. Then a route of two points, found by typing in the filter and added
// by a double-click and with "Hinzufügen", the two points of before removed; Enter is OK, which
// writes zr640.ini and logs the route, and "Strecke setzen" sends it to the instrument.
TEST_F(RouteDialogTest, ARouteChosenByTypingAndClickingIsWrittenLoggedAndSent) {
    const std::string before = testing::ReadWholeFile(root.File("zr640.ini"));
    OnModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    controller.OnCommand(IDM_CHOOSE_ROUTE);
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
        DoubleClick(records->viewport(), records->visualRect(records->model()->index(0, 0)).center());
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
