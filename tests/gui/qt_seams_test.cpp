// The Qt side of the seam: the event log's list, the message box and the file chooser.
#include <filesystem>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "app/main_dialog_controller.h"
#include "frontends/qt/qt_file_chooser.h"
#include "frontends/qt/qt_list_view.h"
#include "frontends/qt/qt_message_box.h"
#include "qt_test_application.h"
#include "recording_message_box.h"

namespace zr640::platform {
namespace {

using zr640::testing::TestApplication;
using zr640::testing::WhenModalShown;

class QtListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        widget.resize(300, 120);
        widget.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }
    QApplication& application = TestApplication();
    QListWidget widget;
    QtListView list{widget};
};

TEST_F(QtListViewTest, KeepsTheOrderAndTheTextsAndDeletesFromTheTop) {
    list.AddString("Strecke");
    list.AddString("Abbruch");
    list.AddString("W\xE4hlen \xB0");
    list.AddString("");
    EXPECT_EQ(list.Count(), 4);
    list.DeleteString(0);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(widget.item(0)->text(), "Abbruch");
    EXPECT_EQ(widget.item(1)->text(), QString::fromUtf8("W\u00e4hlen \u00b0"));
    EXPECT_EQ(widget.item(2)->text(), "");
    // An empty entry takes a full line, as in a list box.
    EXPECT_EQ(widget.visualItemRect(widget.item(2)).height(),
              widget.visualItemRect(widget.item(0)).height());
}

TEST_F(QtListViewTest, ScrollsSidewaysOverTheHorizontalExtent) {
    list.SetHorizontalExtent(2048);
    list.AddString("kurz");
    list.AddString(std::string(3000, 'W').c_str());
    list.SetCurSel(1);
    QApplication::processEvents();
    const QScrollBar* bar = widget.horizontalScrollBar();
    EXPECT_TRUE(bar->isVisible());
    // The whole 2048 pixels and not more, however long a line is.
    EXPECT_EQ(bar->maximum() + widget.viewport()->width(), 2048);
}

TEST(QtMessageBoxTest, ShowsAModalStopBoxWhileTimersKeepTicking) {
    TestApplication();
    QWidget owner;
    owner.show();
    owner.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner));

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(10);

    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* parent = nullptr;
    int ticksWhenShown = -1;
    WhenModalShown([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        parent = box->parentWidget();
        ticksWhenShown = ticks;
        QTimer::singleShot(200, box, [box] { box->button(QMessageBox::Ok)->click(); });
    });
    QtMessageBox messageBox;
    messageBox.Show("Erst mal eine Wendepunktdatei w\xE4hlen!", "Fehler", 0x10);

    EXPECT_EQ(title, "Fehler");
    EXPECT_EQ(text, QString::fromUtf8("Erst mal eine Wendepunktdatei w\u00e4hlen!"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(parent, &owner);
    ASSERT_GE(ticksWhenShown, 0);
    EXPECT_GE(ticks - ticksWhenShown, 5) << "the timer stood still while the box was open";
}

// Runs the chooser in a fresh working directory with a "waypoints" folder.
class QtFileChooserTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        root = std::filesystem::temp_directory_path() /
               ("zr640-chooser-" + std::to_string(::getpid()));
        std::filesystem::create_directories(root / "waypoints");
        std::ofstream(root / "waypoints" / "alpen.wht") << "A,B\r\n";
        previous = std::filesystem::current_path();
        std::filesystem::current_path(root);
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }
    FileChooserRequest Request() const {
        return {"Wendepunktdatei w\xE4hlen", "waypoints",
                {{"Wendepunktdateien", "*.wht"}, {"Alle Dateien", "*.*"}}};
    }
    std::filesystem::path root, previous;
    QtFileChooser chooser;
};

TEST_F(QtFileChooserTest, OffersTheTitleFiltersAndFolderAndTakesANewName) {
    QString title, directory;
    QStringList filters;
    WhenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        directory = dialog->directory().absolutePath();
        dialog->selectFile("neu.wht");
        static_cast<QDialog*>(dialog)->accept();  // accept() of QFileDialog is protected
    });
    std::string chosen = "vorher";
    ASSERT_TRUE(chooser.ChooseFile(Request(), chosen));
    EXPECT_EQ(title, QString::fromUtf8("Wendepunktdatei w\u00e4hlen"));
    EXPECT_EQ(filters, QStringList({"Wendepunktdateien (*.wht)", "Alle Dateien (*)"}));
    EXPECT_EQ(std::filesystem::path(directory.toStdString()),
              std::filesystem::canonical(root / "waypoints"));
    EXPECT_EQ(std::filesystem::path(chosen),
              std::filesystem::canonical(root / "waypoints") / "neu.wht");
}

TEST_F(QtFileChooserTest, HandsOverAGermanNameInTheFileSystemsBytes) {
    std::ofstream(root / "waypoints" / "Flugpl\xC3\xA4tze.wht") << "A\r\n";
    WhenModalShown([](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        dialog->selectFile(QString::fromUtf8("Flugpl\u00e4tze.wht"));
        static_cast<QDialog*>(dialog)->accept();  // accept() of QFileDialog is protected
    });
    std::string chosen;
    ASSERT_TRUE(chooser.ChooseFile(Request(), chosen));
    EXPECT_TRUE(std::filesystem::exists(chosen)) << chosen;
    EXPECT_EQ(std::filesystem::path(chosen).filename(), "Flugpl\xC3\xA4tze.wht");
}

TEST_F(QtFileChooserTest, StaysOpenForAMissingFolderAndKeepsTheChoiceOnCancel) {
    zr640::testing::RecordingMessageBox messages;
    bool stayedOpen = false;
    WhenModalShown([&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        dialog->selectFile("fehlt/neu.wht");
        static_cast<QDialog*>(dialog)->accept();  // accept() of QFileDialog is protected
        stayedOpen = dialog->isVisible();
        dialog->reject();
    });
    std::string chosen = "vorher";
    EXPECT_FALSE(chooser.ChooseFile(Request(), chosen));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(chosen, "vorher");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Der Ordner dieser Datei existiert nicht.");
    EXPECT_EQ(messages.shown[0].style, 0x10u);
    EXPECT_TRUE(messages.shown[0].beepedBefore);
}

TEST_F(QtFileChooserTest, RefusesAPathLongerThanTheControllerHolds) {
    zr640::testing::RecordingMessageBox messages;
    WhenModalShown([&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        dialog->selectFile(QString(static_cast<qsizetype>(kMaxWaypointPathLength), 'x') + ".wht");
        static_cast<QDialog*>(dialog)->accept();  // accept() of QFileDialog is protected
        dialog->reject();
    });
    std::string chosen;
    EXPECT_FALSE(chooser.ChooseFile(Request(), chosen));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Der Pfad ist zu lang (h\xF6" "chstens 259 Bytes).");
}

TEST_F(QtFileChooserTest, StartsInTheWorkingDirectoryWithoutAWaypointsFolder) {
    std::filesystem::remove_all(root / "waypoints");
    QString directory;
    WhenModalShown([&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        directory = dialog->directory().absolutePath();
        dialog->reject();
    });
    std::string chosen;
    EXPECT_FALSE(chooser.ChooseFile(Request(), chosen));
    EXPECT_EQ(std::filesystem::path(directory.toStdString()), std::filesystem::canonical(root));
}

}  // namespace
}  // namespace zr640::platform
