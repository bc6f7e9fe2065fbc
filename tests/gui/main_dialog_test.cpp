// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt front end offscreen: the main dialog with the real controller, the termios device on
// a pseudo-terminal with nobody at the far end, Qt's file chooser and message box.
#include "frontends/qt/main_dialog.h"

#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTest>

#include "app/thread_job_runner.h"
#include "config/route.h"
#include "backends/posix/ini_profile_file.h"
#include "backends/posix/posix_serial_device.h"
#include "backends/posix/xdg_editor_launcher.h"
#include "frontends/qt/qt_clipboard.h"
#include "frontends/qt/qt_file_chooser.h"
#include "frontends/qt/qt_message_box.h"
#include "frontends/qt/route_dialog.h"
#include "pty_pair.h"
#include "qt_application.h"
#include "qt_dialog_checks.h"
#include "recording_message_box.h"
#include "test_files.h"

namespace zr640::platform {
namespace {

namespace fs = std::filesystem;
using zr640::testing::OnModal;

// Types the key `choice` into the context menu that the next event opens; `offered` gets what
// the menu held, a greyed entry in brackets.
void OnMenu(Qt::Key choice, QStringList* offered = nullptr) {
    QTimer::singleShot(0, qApp, [offered, choice] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (const QAction* action : menu->actions()) {
            const QString text = action->isSeparator() ? "-" : action->text();
            if (offered != nullptr) *offered << (action->isEnabled() ? text : "(" + text + ")");
        }
        QTest::keyClick(menu, choice);
    });
}

void Choose(QWidget* chooser, const QString& name) {
    static_cast<QFileDialog*>(chooser)->selectFile(name);
    static_cast<QDialog*>(chooser)->accept();  // protected in QFileDialog
}

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        zr640::testing::NeedQtApplication();
        fs::create_directories(root.File("waypoints"));
        fs::current_path(root.Path());
        dialog = std::make_unique<MainDialog>(controller);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    template <typename Widget = QWidget>
    Widget* At(int id) const { return qobject_cast<Widget*>(dialog->Control(id)); }
    QStringList Log() const { return zr640::testing::EntriesOf(At(110)); }

    // zr640.ini with a route of one point, and the configuration read from it.
    static AppConfig ConfigOfOnePoint(const std::string& directory) {
        zr640::testing::WriteBytes(
            directory + "/zr640.ini",
            "[Strecke]\r\nStreckenPunkt1=M\xFCnster \x84S\xFC" "d\x93,EDDG\r\n");
        AppConfig read;
        read.MaxLaengeName1 = 32;
        read.ConfigFilePath = directory + "/zr640.ini";
        SetRoute(ReadRouteValues(profile, read.ConfigFilePath.c_str()), read);
        return read;
    }

    zr640::testing::TemporaryDirectory root;
    zr640::testing::RecordingMessageBox messages;
    zr640::testing::PtyPair pty;
    static inline IniProfileFile profile;
    AppConfig config = ConfigOfOnePoint(root.Path());
    PosixSerialDevice device{pty.SlavePath()};
    QtFileChooser chooser;
    XdgEditorLauncher editor;
    SteadyClock clock;
    QtClipboard clipboard;
    EventLoopJobRunner jobs;
    QtRouteDialog routeDialog;
    MainDialogController controller{config,
                                    {device, chooser, editor, clock, jobs, clipboard,
                                     kLinuxTextConvention, profile, routeDialog}};
    std::unique_ptr<MainDialog> dialog;
};

// What a user sees, where and at what size, control by control as the table of template 100
// says; Tab visits the tab stops in the table's order. Then Enter, which presses no button, and
// the indicators: set one by one, and a click checks the one clicked and clears the other.
TEST_F(MainDialogTest, ShowsTheControlsOfTheTemplateWithTheirTextsInTheirPlacesAtAFixedSize) {
    EXPECT_EQ(ToPixels({4, 4, 21, 20}, {6, 13}), QRect(6, 7, 32, 33));  // rounded half up
    zr640::testing::ExpectLaidOutAsTemplate(dialog.get(), zr640::testing::kMainDialogTemplate);
    EXPECT_EQ(At<QLabel>(3)->pixmap().size(), QSize(32, 32));
    for (int id : {109, 118, 119, 117, 116, 123}) EXPECT_EQ(At(id)->parentWidget(), At(120));
    EXPECT_TRUE(dialog->minimumSize() == dialog->size() && dialog->maximumSize() == dialog->size());
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint);
    // The core's bytes are Windows-1252, also those that Latin-1 leaves to control characters.
    EXPECT_EQ(Log(), QStringList({QString::fromUtf8("Streckenpunkt 1: M\u00fcnster \u201eS\u00fcd"
                                                    "\u201c,EDDG"), " ", " "}));
    EXPECT_EQ(At<QListWidget>(110)->visualItemRect(At<QListWidget>(110)->item(0)).width(), 2048);
    // The edit fields draw their frames from a picture, as the style would draw them.
    auto* path = At<QLineEdit>(109);
    QLineEdit byStyle(dialog.get());
    byStyle.resize(path->size());
    for (int i = 0; i < 2; ++i) EXPECT_EQ(path->grab().toImage(), byStyle.grab().toImage());

    for (int id : {102, 119, 117, 116, 123}) QTest::keyClick(At(id), Qt::Key_Return);
    EXPECT_TRUE(messages.shown.empty() && controller.ReceiveEnabled());
    dialog->StopTimer();  // no tick may clear TX meanwhile
    dialog->CheckButton(103, true);
    dialog->CheckButton(104, true);
    dialog->CheckButton(103, false);
    EXPECT_TRUE(!At<QAbstractButton>(103)->isChecked() && At<QAbstractButton>(104)->isChecked());
    QTest::mouseClick(At(103), Qt::LeftButton);
    QTest::mouseClick(At(103), Qt::LeftButton);
    EXPECT_TRUE(At<QAbstractButton>(103)->isChecked() && !At<QAbstractButton>(104)->isChecked());
}

// The log keeps what it draws of its lines between paints and paints only what a new line
// changes: what the screen shows is what painting the whole list would show, line by line into
// view, in bursts, and at the cap, where the oldest line goes; every line still shows as the
// style draws it (compared pixel by pixel with the style's own delegate, also scrolled
// sideways), nothing is dropped or merged, and the newest line is selected and in view. The
// byte display, written only when it changes, is written again once the user has typed in it.
TEST_F(MainDialogTest, TheLogDrawsEachLineAsTheStyleWouldAndKeepsTheNewestInView) {
    auto* list = At<QListWidget>(110);
    zr640::EventLog log(dialog->List(110));
    const auto expectScreenShowsTheList = [&](const std::string& when) {
        const QRect place(list->mapTo(dialog.get(), QPoint(0, 0)), list->size());
        const QImage onScreen = dialog->screen()
                                    ->grabWindow(dialog->winId(), place.x(), place.y(),
                                                 place.width(), place.height())
                                    .toImage()
                                    .convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(onScreen, list->grab().toImage().convertToFormat(QImage::Format_RGB32)) << when;
        for (QScrollBar* bar : {list->verticalScrollBar(), list->horizontalScrollBar()}) {
            QScrollBar byStyle(bar->orientation(), dialog.get());
            byStyle.setRange(bar->minimum(), bar->maximum());
            byStyle.setPageStep(bar->pageStep());
            byStyle.setValue(bar->value());
            byStyle.resize(bar->size());
            EXPECT_EQ(bar->grab().toImage(), byStyle.grab().toImage()) << when;
        }
    };
    QStringList expected = Log();
    for (int i = 1; i <= 60; ++i) {
        const std::string line = "Reading " + std::to_string(i) + " Satznr 0 FlugZeitSek:" +
                                 std::string(static_cast<std::size_t>(i % 7) * 40, 'x') + " Ende";
        LogPrintf(&log, "%s\r\n \n", line.c_str());
        expected << QString::fromStdString(line) + "\r" << " ";
        if (i % 10 == 0 || i > 50) {
            QApplication::processEvents();
            expectScreenShowsTheList("after line " + std::to_string(i));
        }
    }
    QApplication::processEvents();
    EXPECT_EQ(Log(), expected);
    EXPECT_EQ(list->currentRow(), list->count() - 1);
    const QRect newest = list->visualItemRect(list->item(list->count() - 1));
    EXPECT_TRUE(newest.top() >= 0 && newest.bottom() < list->viewport()->height());

    // The style's own drawing, for rows as wide and as high as ours.
    class StyleDrawn final : public QStyledItemDelegate {
    public:
        explicit StyleDrawn(QAbstractItemDelegate* sized) : sized_(sized) {}
        QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& i) const override {
            return sized_->sizeHint(o, i);
        }

    private:
        QAbstractItemDelegate* sized_;
    };
    QAbstractItemDelegate* ours = list->itemDelegate();
    StyleDrawn styleDrawn(ours);
    for (const int sideways : {0, 300}) {
        list->horizontalScrollBar()->setValue(sideways);
        const QImage drawn = list->viewport()->grab().toImage();
        list->setItemDelegate(&styleDrawn);
        const QImage byStyle = list->viewport()->grab().toImage();
        list->setItemDelegate(ours);
        EXPECT_EQ(drawn, byStyle) << "scrolled " << sideways << " pixels sideways";
    }

    // At the cap each new line takes the oldest: the lines in view move up by one.
    list->horizontalScrollBar()->setValue(0);
    for (int i = list->count(); i < 2000; ++i) LogPrintf(&log, "Zeile %d\n", i);
    QApplication::processEvents();
    for (int i = 1; i <= 3; ++i) {
        LogPrintf(&log, "Reading %d am Ende\n", i);
        QApplication::processEvents();
        expectScreenShowsTheList("at the cap, line " + std::to_string(i));
    }
    EXPECT_EQ(list->count(), 2000);
    EXPECT_EQ(list->item(1999)->text(), "Reading 3 am Ende");
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->value() - 20);
    QApplication::processEvents();
    expectScreenShowsTheList("scrolled up by the user");

    // Typed over, the byte display shows the line's state again at the next tick.
    EXPECT_TRUE(QTest::qWaitFor([&] { return At(101)->property("text") == "EOF     "; }));
    QTest::keyClicks(At(101), "abc");
    EXPECT_TRUE(QTest::qWaitFor([&] { return At(101)->property("text") == "EOF     "; }, 500));
}

TEST_F(MainDialogTest, TheChooserHandsOverTheFileSystemsBytesAndRefusesWhatItCannot) {
    QStringList offered;
    OnModal([&](QWidget* modal) {
        offered = static_cast<QFileDialog*>(modal)->nameFilters();
        offered << modal->windowTitle() << static_cast<QFileDialog*>(modal)->directory().path();
        Choose(modal, QString::fromUtf8("Flugpl\u00e4tze.wht"));
    });
    QTest::mouseClick(At(118), Qt::LeftButton);
    const fs::path folder = fs::canonical(root.File("waypoints"));
    EXPECT_EQ(offered, QStringList({"Wendepunktdateien (*.wht)", "Alle Dateien (*)",
        QString::fromUtf8("Wendepunktdatei w\u00e4hlen"), QString::fromStdString(folder)}));
    const std::string chosen = (folder / "Flugpl\xC3\xA4tze.wht").string();
    EXPECT_EQ(controller.WaypointFilePath(), chosen);
    EXPECT_EQ(At(109)->property("text"), QString::fromUtf8(chosen.c_str()));

    for (const QString& name : {QString("fehlt/neu.wht"), QString(300, 'x') + ".wht"}) {
        OnModal([&](QWidget* modal) {
            Choose(modal, name);
            EXPECT_TRUE(modal->isVisible()) << "the chooser stays open";
            static_cast<QDialog*>(modal)->reject();
        });
        QTest::mouseClick(At(118), Qt::LeftButton);
    }
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "Der Ordner dieser Datei existiert nicht.");
    EXPECT_EQ(messages.shown[1].text, "Der Pfad ist zu lang (h\xF6" "chstens 259 Bytes).");
    EXPECT_EQ(controller.WaypointFilePath(), chosen);
}

// The poll timer ticks in a message box's loop; the line is read again once it is closed.
TEST_F(MainDialogTest, AMessageBoxIsAStopBoxAndTheTicksGoOnMeanwhile) {
    QtMessageBox box;
    InstallMessageBox(&box);
    QStringList seen;
    OnModal([&](QWidget* modal) {
        auto* message = qobject_cast<QMessageBox*>(modal);
        seen << message->windowTitle() << message->text();
        EXPECT_TRUE(message->icon() == QMessageBox::Critical && message->parent() == dialog.get());
        pty.Send(std::string("\x24\x41\x06\x37\x01\x99", 6));
        At<QAbstractButton>(104)->click();  // the user lights TX; the next tick clears it
        EXPECT_TRUE(At<QAbstractButton>(104)->isChecked());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !At<QAbstractButton>(104)->isChecked(); }));
        message->button(QMessageBox::Ok)->click();
    });
    QTest::mouseClick(At(119), Qt::LeftButton);  // "Edit" before a file is chosen
    InstallMessageBox(&messages);
    EXPECT_EQ(seen, QStringList({"Fehler", QString::fromUtf8("Erst mal eine Wendepunktdatei "
                                                             "w\u00e4hlen!")}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Log().size() == 4; }));
    EXPECT_EQ(Log().back(), "Reading     1 $ A Bytes:6 Chk:55 Satz:1");
}

// The log's context menu from the keyboard and from the mouse, which selects the entry it
// points at: the log on the clipboard in UTF-8 with LF, a sentence's own CR dropped, and in a
// file named after the time; Ctrl+C copies the selected entry.
TEST_F(MainDialogTest, TheLogsMenuAndCtrlCHandTheLogOut) {
    auto* list = At<QListWidget>(110);
    dialog->List(110)->AddString("$KTWPO*1A\r");
    dialog->List(110)->SetCurSel(3);
    list->setFocus();
    QStringList offered;
    OnMenu(Qt::Key_A, &offered);
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(offered, QStringList({"Zeile &kopieren\tStrg+C", "&Alles kopieren",
                                    QString::fromUtf8("Protokoll s&peichern\u2026"), "-",
                                    QString::fromUtf8("Strecke &w\u00e4hlen\u2026"), "-",
                                    QString::fromUtf8("\u00dc&ber zr640\u2026")}));
    const QString firstEntry =
        QString::fromUtf8("Streckenpunkt 1: M\u00fcnster \u201eS\u00fcd\u201c,EDDG");
    const QString wholeLog = firstEntry + "\n \n \n$KTWPO*1A\n";
    EXPECT_EQ(QApplication::clipboard()->text(), wholeLog);

    const QPoint first = list->visualItemRect(list->item(0)).center();
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, first);
    OnMenu(Qt::Key_K);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, first,
                                 list->viewport()->mapToGlobal(first));
    QApplication::sendEvent(list->viewport(), &rightClick);
    EXPECT_EQ(QApplication::clipboard()->text(), firstEntry);
    dialog->List(110)->SetCurSel(3);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "$KTWPO*1A");

    QString proposed;
    OnModal([&](QWidget* modal) {
        auto* saver = static_cast<QFileDialog*>(modal);
        const QString name = saver->selectedFiles().value(0).section('/', -1);
        proposed = saver->directory().path() + "/" + name;
        Choose(modal, "protokoll");
    });
    OnMenu(Qt::Key_P);
    QTest::keyClick(list, Qt::Key_Menu);
    const QString folder = QString::fromStdString(fs::canonical(root.Path()).string());
    const QRegularExpression timeName(folder + "/zr640-\\d{4}-\\d\\d-\\d\\d-\\d{6}\\.txt");
    EXPECT_TRUE(timeName.match(proposed).hasMatch()) << proposed.toStdString();
    const std::string saved = zr640::testing::ReadWholeFile(root.File("protokoll.txt"));
    EXPECT_EQ(QString::fromStdString(saved), wholeLog);
}

// The task's three unanswered attempts take 6 s, while the dialog answers, the log grows and
// the busy commands are greyed. Escape stops a transfer instead of the dialog; then closes it.
TEST_F(MainDialogTest, ATransferLeavesTheDialogAnsweringAndEscapeStopsIt) {
    QElapsedTimer sinceProbe;
    qint64 longestGapMs = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout,
                     [&] { longestGapMs = std::max(longestGapMs, sinceProbe.restart()); });
    sinceProbe.start();
    probe.start(10);
    QTest::mouseClick(At(123), Qt::LeftButton);
    for (int id : {102, 116, 117, 118, 119, 123}) EXPECT_FALSE(At(id)->isEnabled()) << id;
    const auto unanswered = [&] { return Log().count("Keine Antwort nach 2000 ms"); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return unanswered() == 1; }, 4000)) << "line by line";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.TransferRunning(); }, 8000));
    // A window that misses its messages for 250 ms counts as hung for SendMessageTimeout.
    EXPECT_LT(longestGapMs, 250);

    QTest::mouseClick(At(123), Qt::LeftButton);
    QTest::qWait(300);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.TransferRunning(); }, 250));
    EXPECT_TRUE(dialog->isVisible() && controller.ReceiveEnabled());
    EXPECT_TRUE(Log().contains("Abbruch durch Benutzer"));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    dialog.reset();
    EXPECT_EQ(controller.Port(), nullptr);  // destruction closed the port
}

}  // namespace
}  // namespace zr640::platform
