// The Qt main dialog with the real controller, the termios device on a pseudo-terminal and
// Qt's own file chooser, run offscreen.
#include "frontends/qt/main_dialog.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QElapsedTimer>
#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

#include "platform/quit_request.h"
#include "app/thread_job_runner.h"
#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "frontends/qt/cp1252.h"
#include "frontends/qt/qt_file_chooser.h"
#include "pty_pair.h"
#include "qt_test_application.h"
#include "recording_message_box.h"

namespace zr640::platform {
namespace {

using zr640::testing::TestApplication;
using zr640::testing::WhenModalShown;

void SetRoutePoint(AppConfig& config, int slot, const char* name, const char* code) {
    WaypointFields& point = config.Route.slot[static_cast<std::size_t>(slot)];
    std::strcpy(point.Field(1), name);
    std::strcpy(point.Field(2), code);
}

QStringList Entries(const QListWidget& list) {
    QStringList entries;
    for (int row = 0; row < list.count(); ++row) {
        entries << list.item(row)->text();
    }
    return entries;
}

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        ResetQuitRequest();
        SetRoutePoint(config, 0, "Lauf-Lillin", "EDQI");
        SetRoutePoint(config, 1, "Oschersleben", "EDOL");
        config.RouteCount = 2;
    }
    void TearDown() override { ResetQuitRequest(); }

    MainDialog& Open() {
        dialog = std::make_unique<MainDialog>(controller);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return *dialog;
    }
    template <typename Widget>
    Widget* Get(int id) const {
        return qobject_cast<Widget*>(dialog->Control(id));
    }
    QListWidget& Log() const { return *Get<QListWidget>(110); }

    zr640::testing::RecordingMessageBox messages;
    zr640::testing::PtyPair pty;
    AppConfig config;
    PosixSerialDevice device{pty.SlavePath()};
    QtFileChooser chooser;
    XdgEditorLauncher editor;
    SteadyClock clock;
    zr640::ThreadJobRunner jobs{[this] {
        QMetaObject::invokeMethod(qApp, [this] { jobs.RunPosted(); }, Qt::QueuedConnection);
    }};
    MainDialogController controller{config, {device, chooser, editor, clock, jobs}};
    std::unique_ptr<MainDialog> dialog;
};

TEST_F(MainDialogTest, HoldsTheThirteenControlsWithTheirIdsTextsAndPlaces) {
    MainDialog& shown = Open();
    EXPECT_EQ(shown.windowTitle(), "ZR640");
    for (const ControlTemplate& control : kMainDialogControls) {
        QWidget* widget = shown.Control(control.id);
        ASSERT_NE(widget, nullptr) << control.id;
        EXPECT_EQ(widget->property("controlId").toInt(), control.id);
        EXPECT_TRUE(widget->isVisible()) << control.id;
        const QString text = FromCp1252(control.text);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(button->text(), text);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            EXPECT_EQ(group->title(), text);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_FALSE(edit->isReadOnly());
        }
    }
    EXPECT_EQ(Get<QPushButton>(118)->text(), QString::fromUtf8("W\u00e4hlen"));
    EXPECT_NE(Get<QRadioButton>(103), nullptr);
    EXPECT_NE(Get<QRadioButton>(104), nullptr);
    const QLabel* icon = Get<QLabel>(3);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));

    // Siblings never overlap; the group box holds the path field and the five buttons.
    const QList<QWidget*> all = shown.findChildren<QWidget*>();
    for (QWidget* a : all) {
        for (QWidget* b : all) {
            if (a == b || !a->property("controlId").isValid() ||
                !b->property("controlId").isValid() || a->parentWidget() != b->parentWidget()) {
                continue;
            }
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << a->objectName().toStdString() << " overlaps " << b->objectName().toStdString();
        }
        if (a->property("controlId").isValid()) {
            EXPECT_TRUE(a->parentWidget()->rect().contains(a->geometry()))
                << a->objectName().toStdString();
        }
    }
    QWidget* group = shown.Control(120);
    for (int id : {109, 118, 119, 117, 116, 123}) {
        EXPECT_EQ(shown.Control(id)->parentWidget(), group) << id;
    }
    // The order across the top and in the bottom row.
    auto x = [&](int id) { return shown.Control(id)->mapTo(&shown, QPoint(0, 0)).x(); };
    auto y = [&](int id) { return shown.Control(id)->mapTo(&shown, QPoint(0, 0)).y(); };
    EXPECT_LT(x(3), x(101));
    EXPECT_LT(x(101), x(103));
    EXPECT_LT(x(103), x(104));
    EXPECT_LT(x(104), x(102));
    EXPECT_LT(x(117), x(116));
    EXPECT_LT(x(116), x(123));
    EXPECT_LT(y(101), y(110));
    EXPECT_LT(y(110), y(120));
    EXPECT_LT(y(109), y(117));
    EXPECT_EQ(y(118), y(109));
}

TEST_F(MainDialogTest, MapsDialogUnitsThroughTheFontsAverageCharacter) {
    MainDialog& shown = Open();
    const QFontMetrics metrics(shown.font());
    const double average =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
    const int unitX = static_cast<int>(average + 0.5);
    const int unitY = metrics.height();
    EXPECT_EQ(shown.font().pointSize(), 8);
    EXPECT_EQ(shown.width(), (506 * unitX + 2) / 4);
    EXPECT_EQ(shown.height(), (375 * unitY + 4) / 8);
    EXPECT_EQ(Log().geometry(), QRect((8 * unitX + 2) / 4, (32 * unitY + 4) / 8,
                                      (488 * unitX + 2) / 4, (280 * unitY + 4) / 8));
}

TEST_F(MainDialogTest, CannotBeResizedMinimisedOrMaximised) {
    MainDialog& shown = Open();
    const QSize size = shown.size();
    EXPECT_EQ(shown.minimumSize(), size);
    EXPECT_EQ(shown.maximumSize(), size);
    shown.resize(size * 2);
    QApplication::processEvents();
    EXPECT_EQ(shown.size(), size);
    const Qt::WindowFlags flags = shown.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
}

TEST_F(MainDialogTest, TabWalksTheControlsInTemplateOrder) {
    Open();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    std::vector<int> visited{QApplication::focusWidget()->property("controlId").toInt()};
    for (int step = 0; step < 11; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget()->property("controlId").toInt());
    }
    EXPECT_EQ(visited,
              (std::vector<int>{101, 102, 103, 104, 110, 109, 118, 119, 117, 116, 123, 101}));
}

TEST_F(MainDialogTest, ListsTheRoutePointsAndScrollsSideways) {
    Open();
    EXPECT_EQ(Entries(Log()), QStringList({"Streckenpunkt 1: Lauf-Lillin,EDQI",
                                           "Streckenpunkt 2: Oschersleben,EDOL", " ", " "}));
    EXPECT_EQ(Log().currentRow(), 3);
    EXPECT_EQ(Log().horizontalScrollBar()->maximum() + Log().viewport()->width(), 2048);
    EXPECT_EQ(Log().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(Log().verticalScrollBar()->isVisible());
    EXPECT_TRUE(dialog->TimerRunning());
}

TEST_F(MainDialogTest, AFrameFromTheLineReachesTheLogAndRunTogglesReading) {
    Open();
    const QString first = "Reading     1 $ A Bytes:6 Chk:55 Satz:1";
    pty.Send(std::string("\x24\x41\x06\x37\x01\x99", 6));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Entries(Log()).contains(first); }, 10000));
    EXPECT_EQ(Log().item(Log().count() - 1)->text(), first);

    QTest::mouseClick(Get<QPushButton>(102), Qt::LeftButton);
    EXPECT_FALSE(controller.ReceiveEnabled());
    pty.Send(std::string("\x24\x42\x06\x37\x03\x99", 6));
    QTest::qWait(600);  // a dozen ticks, none of which may read
    EXPECT_EQ(Log().item(Log().count() - 1)->text(), first);

    QTest::mouseClick(Get<QPushButton>(102), Qt::LeftButton);
    EXPECT_TRUE(controller.ReceiveEnabled());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Log().item(Log().count() - 1)->text().startsWith("Reading     2 $ B"); },
        10000));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainDialogTest, SetsTheIndicatorsOneByOneAndLetsTheUserPickOne) {
    MainDialog& shown = Open();
    shown.StopTimer();  // no tick may clear TX meanwhile
    QRadioButton* rx = Get<QRadioButton>(103);
    QRadioButton* tx = Get<QRadioButton>(104);
    shown.CheckButton(103, true);
    shown.CheckButton(104, true);
    EXPECT_TRUE(rx->isChecked());
    EXPECT_TRUE(tx->isChecked());
    shown.CheckButton(103, false);
    shown.CheckButton(104, false);
    EXPECT_FALSE(rx->isChecked());
    EXPECT_FALSE(tx->isChecked());
    shown.CheckButton(104, true);
    QTest::mouseClick(rx, Qt::LeftButton);
    EXPECT_TRUE(rx->isChecked());
    EXPECT_FALSE(tx->isChecked());
    QTest::mouseClick(rx, Qt::LeftButton);  // a second click does not clear it
    EXPECT_TRUE(rx->isChecked());
    shown.SetItemText(101, "e4 \xE4 ");
    EXPECT_EQ(Get<QLineEdit>(101)->text(), QString::fromUtf8("e4 \u00e4 "));
}

TEST_F(MainDialogTest, EditWithoutAFileShowsTheMessage) {
    Open();
    QTest::mouseClick(Get<QPushButton>(119), Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Fehler");
    EXPECT_EQ(messages.shown[0].text, "Erst mal eine Wendepunktdatei w\xE4hlen!");
    EXPECT_EQ(messages.shown[0].style, 0x10u);
    EXPECT_TRUE(messages.shown[0].beepedBefore);
}

TEST_F(MainDialogTest, ChoosingAFileShowsItsNameAndKeepsTheFileSystemsBytes) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("zr640-dialog-" + std::to_string(::getpid()));
    fs::create_directories(root / "waypoints");
    const fs::path previous = fs::current_path();
    fs::current_path(root);
    Open();
    WhenModalShown([](QWidget* modal) {
        auto* chooserDialog = static_cast<QFileDialog*>(modal);
        chooserDialog->selectFile(QString::fromUtf8("Flugpl\u00e4tze.wht"));
        static_cast<QDialog*>(chooserDialog)->accept();  // accept() of QFileDialog is protected
    });
    QTest::mouseClick(Get<QPushButton>(118), Qt::LeftButton);
    fs::current_path(previous);

    const std::string expected =
        (fs::canonical(root / "waypoints") / "Flugpl\xC3\xA4tze.wht").string();
    EXPECT_EQ(controller.WaypointFilePath(), expected);
    EXPECT_EQ(Get<QLineEdit>(109)->text(), QString::fromStdString(expected));
    fs::remove_all(root);
}

TEST_F(MainDialogTest, EnterPressesNoButtonAndEscapeEnds) {
    MainDialog& shown = Open();
    for (int id : {102, 119, 117, 116, 123, 118}) {
        QWidget* button = shown.Control(id);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    }
    QTest::keyClick(shown.Control(101), Qt::Key_Return);
    QTest::keyClick(&Log(), Qt::Key_Return);
    EXPECT_TRUE(shown.isVisible());
    EXPECT_TRUE(controller.ReceiveEnabled());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Log().count(), 4);

    QTest::keyClick(shown.Control(102), Qt::Key_Escape);
    EXPECT_FALSE(shown.isVisible());
    EXPECT_EQ(shown.result(), 1);
    EXPECT_NE(controller.Port(), nullptr);
    dialog.reset();
    EXPECT_EQ(controller.Port(), nullptr);  // destruction closed the port
}

TEST_F(MainDialogTest, TheCloseBoxEnds) {
    MainDialog& shown = Open();
    EXPECT_TRUE(shown.close());
    EXPECT_FALSE(shown.isVisible());
    EXPECT_EQ(shown.result(), 1);
}

TEST_F(MainDialogTest, DebugStopsTheTimerAtOnce) {
    config.Debug = true;
    Open();
    EXPECT_FALSE(dialog->TimerRunning());
    EXPECT_EQ(controller.Port(), nullptr);
}

// The instrument is silent (nobody at the other end of the pty): the task's three attempts
// take 6 s, during which the dialog's loop keeps running, the log grows line by line and the
// busy commands are greyed. Escape then stops a transfer instead of the dialog; the next
// Escape closes it.
TEST_F(MainDialogTest, ATransferLeavesTheDialogAnsweringAndEscapeStopsIt) {
    MainDialog& shown = Open();
    QElapsedTimer sinceProbe;
    qint64 longestGapMs = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { longestGapMs = std::max(longestGapMs, sinceProbe.restart()); });
    sinceProbe.start();
    probe.start(10);
    QTest::mouseClick(Get<QPushButton>(123), Qt::LeftButton);
    for (int id : kBusyDisabledIds) EXPECT_FALSE(shown.Control(id)->isEnabled()) << id;
    QTRY_COMPARE_WITH_TIMEOUT(Entries(Log()).count("Keine Antwort nach 2000 ms"), 1, 4000);
    EXPECT_TRUE(controller.TransferRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!controller.TransferRunning(), 8000);
    probe.stop();
    // A window that misses its messages for 250 ms counts as hung for SendMessageTimeout.
    EXPECT_LT(longestGapMs, 250);
    EXPECT_EQ(Entries(Log()).count("Keine Antwort nach 2000 ms"), 3);
    for (int id : kBusyDisabledIds) EXPECT_TRUE(shown.Control(id)->isEnabled()) << id;

    QTest::mouseClick(Get<QPushButton>(123), Qt::LeftButton);
    QTest::qWait(300);
    QTest::keyClick(&shown, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!controller.TransferRunning(), 250);
    EXPECT_TRUE(shown.isVisible());
    EXPECT_TRUE(Entries(Log()).contains("Abbruch durch Benutzer"));
    EXPECT_TRUE(controller.ReceiveEnabled());
    QTest::keyClick(&shown, Qt::Key_Escape);
    EXPECT_FALSE(shown.isVisible());
}

}  // namespace
}  // namespace zr640::platform
