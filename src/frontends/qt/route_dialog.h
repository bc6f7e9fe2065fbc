// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <map>

#include <QDialog>

#include "app/route_dialog.h"
#include "frontends/qt/dialog_template.h"

class QListWidget;
class QTreeView;

namespace zr640::platform {

class RecordsModel;

// Dialog template 200 on Qt Widgets, over a RouteChooser: the records in a list whose rows
// are drawn as they come into view, the route in a list box, the buttons greyed as the
// chooser says. OK closes it only when `accept` says the route was taken.
class RouteDialogWindow final : public QDialog {
    Q_OBJECT

public:
    RouteDialogWindow(RouteChooser& chooser, std::function<bool()> accept, QWidget* parent);
    ~RouteDialogWindow() override;
    RouteDialogWindow(const RouteDialogWindow&) = delete;
    RouteDialogWindow& operator=(const RouteDialogWindow&) = delete;

    // The control with that id (property "controlId"), or null.
    QWidget* Control(int id) const;

public slots:
    void accept() override;

private:
    void CreateControls(DialogBaseUnits base);
    QWidget* CreateControl(const ControlTemplate& control, DialogBaseUnits base);
    void ConnectControls();
    void ShowRecords();
    void ShowPoints();
    void EnableButtons();
    void ChangeRoute(void (RouteChooser::*change)());

    RouteChooser& chooser_;
    std::function<bool()> accept_;
    std::map<int, QWidget*> controls_;
    RecordsModel* records_ = nullptr;  // owned by this window
    QTreeView* recordsView_ = nullptr;
    QListWidget* pointsView_ = nullptr;
    // Set while the window itself selects, whose signals then report nothing the user did.
    bool selecting_ = false;
};

// The route dialog as the controller opens it: modal over the active window.
class QtRouteDialog final : public RouteDialog {
public:
    void Run(RouteChooser& chooser, const std::function<bool()>& accept) override;
};

}  // namespace zr640::platform
