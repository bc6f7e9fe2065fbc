// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QDialog>
#include <QTimer>

#include "app/main_dialog_controller.h"
#include "app/thread_job_runner.h"
#include "platform/dialog_controls.h"
#include "frontends/qt/dialog_template.h"
#include "frontends/qt/qt_list_view.h"

class QAbstractButton;
class QKeyEvent;
class QListWidget;

namespace zr640::platform {

// Dialog template 100 on Qt Widgets: a fixed-size window with the thirteen controls at their
// places, mapped from dialog units through the dialog font. Its events go to the controller
// as the Windows dialog manager would deliver them: initialisation when it is built, button
// clicks and Escape or the close box as commands, a double-click on the log, the poll timer's
// ticks, and destruction. The log has the context menu the controller describes (right-click,
// Shift+F10, the menu key) and copies its selected entry with Ctrl+C.
class MainDialog final : public QDialog, public DialogControls {
    Q_OBJECT

public:
    explicit MainDialog(MainDialogController& controller);
    ~MainDialog() override;
    MainDialog(const MainDialog&) = delete;
    MainDialog& operator=(const MainDialog&) = delete;

    // The control with that id (property "controlId"), or null.
    QWidget* Control(int id) const;

    // Texts are Windows-1252, except the path field's: the path is in the file system's
    // encoding, the bytes the chooser handed over.
    void SetTitle(const char* text) override;
    void SetItemText(int id, const char* text) override;
    void CheckButton(int id, bool checked) override;
    void EnableItem(int id, bool enabled) override;
    ListView* List(int id) override;
    // Linux desktops show no progress on a window's button.
    TaskbarButton* Taskbar() override { return nullptr; }
    void StartTimer(unsigned periodMs) override;
    void StopTimer() override;
    void EndDialog() override;

public slots:
    // Escape and the close box: command 2, which ends the dialog through EndDialog.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls(DialogBaseUnits base);
    QWidget* CreateControl(const ControlTemplate& control, QWidget* parent);
    void OnIndicatorClicked(QAbstractButton* clicked, int id);
    // The log's context menu at `globalPosition`; its command goes to the controller.
    void ShowLogMenu(const QPoint& globalPosition);
    // Where a menu opened from the keyboard stands: below the selected entry.
    QPoint KeyboardMenuPosition() const;

    MainDialogController& controller_;
    std::map<int, QWidget*> controls_;
    std::vector<QAbstractButton*> indicators_;  // RX and TX
    QTimer pollTimer_;
    std::unique_ptr<QtListView> eventLog_;
    QListWidget* logWidget_ = nullptr;
};

// The job runner of a Qt program: its wake-up is a call queued on the runner itself, so that
// the object the call is bound to lives exactly as long as the runner. A wake-up that is still
// queued when the runner goes is dropped with it instead of reaching a runner that is gone.
class EventLoopJobRunner final : public QObject, public ThreadJobRunner {
    Q_OBJECT

public:
    EventLoopJobRunner();

private slots:
    void runPosted() { RunPosted(); }
};

}  // namespace zr640::platform
