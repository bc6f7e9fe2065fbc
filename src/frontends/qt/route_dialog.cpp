// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/route_dialog.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

#include "app/route_chooser.h"
#include "frontends/qt/cp1252.h"
#include "frontends/qt/route_dialog_template.h"

namespace zr640::platform {

// The records the chooser lets through, asked for row by row as the view draws them.
class RecordsModel final : public QAbstractTableModel {
public:
    RecordsModel(const RouteChooser& chooser, QObject* parent)
        : QAbstractTableModel(parent), chooser_(chooser) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : chooser_.RowCount();
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(std::size(kRouteColumns));
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= chooser_.RowCount()) {
            return {};
        }
        const RouteColumn& column = kRouteColumns[index.column()];
        if (role == Qt::TextAlignmentRole && column.rightAligned) {
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        }
        if (role != Qt::DisplayRole) {
            return {};
        }
        return FromCp1252(chooser_.CellText(index.row(), index.column()));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= static_cast<int>(std::size(kRouteColumns))) {
            return QAbstractTableModel::headerData(section, orientation, role);
        }
        return FromCp1252(kRouteColumns[section].heading);
    }
    // The filter has let other records through.
    void Refresh() {
        beginResetModel();
        endResetModel();
    }

private:
    const RouteChooser& chooser_;
};

RouteDialogWindow::RouteDialogWindow(RouteChooser& chooser, std::function<bool()> accept,
                                     QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      chooser_(chooser),
      accept_(std::move(accept)) {
    setWindowTitle(FromCp1252(kRouteDialogCaption));
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnitsOf(font());
    setFixedSize(ToPixels(kRouteDialogRect, base).size());
    CreateControls(base);
    ChainTabOrder(kRouteDialogControls, controls_);
    ConnectControls();
    static_cast<QLabel*>(Control(IDC_ROUTE_SKIPPED))->setText(FromCp1252(chooser_.SkippedText()));
    ShowRecords();
    ShowPoints();
    EnableButtons();
    Control(IDC_ROUTE_FILTER)->setFocus();
}

RouteDialogWindow::~RouteDialogWindow() = default;

QWidget* RouteDialogWindow::Control(int id) const {
    auto it = controls_.find(id);
    return it != controls_.end() ? it->second : nullptr;
}

void RouteDialogWindow::CreateControls(DialogBaseUnits base) {
    QLabel* pendingBuddy = nullptr;
    for (const ControlTemplate& control : kRouteDialogControls) {
        QWidget* widget = CreateControl(control, base);
        widget->setGeometry(ToPixels(control.bounds, base));
        widget->setProperty("controlId", control.id);
        widget->setObjectName(QString("control%1").arg(control.id));
        controls_[control.id] = widget;
        // As in a Windows dialog, a label's mnemonic focuses the control that follows it.
        if (pendingBuddy != nullptr && (widget->focusPolicy() & Qt::TabFocus) != 0) {
            pendingBuddy->setBuddy(widget);
            pendingBuddy = nullptr;
        }
        if (control.kind == ControlKind::Label && QString(control.text).contains('&')) {
            pendingBuddy = static_cast<QLabel*>(widget);
        }
    }
}

QWidget* RouteDialogWindow::CreateControl(const ControlTemplate& control, DialogBaseUnits base) {
    const QString text = FromCp1252(control.text);
    switch (control.kind) {
    case ControlKind::Label:
        return new QLabel(text, this);
    case ControlKind::EditField: {
        auto* edit = new QLineEdit(text, this);
        edit->setMaxLength(kRouteFilterLimit);
        return edit;
    }
    case ControlKind::ReportList: {
        recordsView_ = new QTreeView(this);
        records_ = new RecordsModel(chooser_, this);
        recordsView_->setModel(records_);
        recordsView_->setRootIsDecorated(false);
        recordsView_->setItemsExpandable(false);
        recordsView_->setUniformRowHeights(true);
        recordsView_->setAllColumnsShowFocus(true);
        recordsView_->setSelectionBehavior(QAbstractItemView::SelectRows);
        recordsView_->setSelectionMode(QAbstractItemView::SingleSelection);
        recordsView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        recordsView_->header()->setStretchLastSection(false);
        recordsView_->header()->setSectionsMovable(false);
        for (int i = 0; i < static_cast<int>(std::size(kRouteColumns)); ++i) {
            const DialogUnitRect width{0, 0, kRouteColumns[i].widthUnits, 0};
            recordsView_->setColumnWidth(i, ToPixels(width, base).width());
        }
        return recordsView_;
    }
    case ControlKind::ListBox:
        pointsView_ = new QListWidget(this);
        return pointsView_;
    case ControlKind::PushButton:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text, this);
        button->setDefault(control.kind == ControlKind::DefaultButton);
        return button;
    }
    case ControlKind::Icon:
    case ControlKind::RadioButton:
    case ControlKind::GroupBox:
        break;  // template 200 has none
    }
    return new QWidget(this);
}

void RouteDialogWindow::ConnectControls() {
    connect(static_cast<QLineEdit*>(Control(IDC_ROUTE_FILTER)), &QLineEdit::textChanged, this,
            [this](const QString& text) {
                chooser_.SetFilter(ToCp1252(text));
                ShowRecords();
                EnableButtons();
            });
    connect(recordsView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (selecting_) return;
        const QModelIndexList rows = recordsView_->selectionModel()->selectedRows();
        chooser_.SelectRow(rows.isEmpty() ? -1 : rows.first().row());
        EnableButtons();
    });
    connect(recordsView_, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) {
                chooser_.SelectRow(index.row());
                ChangeRoute(&RouteChooser::Add);
            });
    connect(pointsView_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (selecting_) return;
        chooser_.SelectPoint(row);
        EnableButtons();
    });
    const std::pair<int, void (RouteChooser::*)()> changes[] = {
        {IDC_ROUTE_ADD, &RouteChooser::Add},
        {IDC_ROUTE_REMOVE, &RouteChooser::Remove},
        {IDC_ROUTE_UP, &RouteChooser::MoveUp},
        {IDC_ROUTE_DOWN, &RouteChooser::MoveDown},
    };
    for (const auto& [id, change] : changes) {
        connect(static_cast<QPushButton*>(Control(id)), &QPushButton::clicked, this,
                [this, change = change] { ChangeRoute(change); });
    }
    connect(static_cast<QPushButton*>(Control(IDC_ROUTE_OK)), &QPushButton::clicked, this,
            &RouteDialogWindow::accept);
    connect(static_cast<QPushButton*>(Control(IDC_ROUTE_CANCEL)), &QPushButton::clicked, this,
            &RouteDialogWindow::reject);
}

void RouteDialogWindow::ShowRecords() {
    selecting_ = true;
    records_->Refresh();
    if (const int row = chooser_.SelectedRow(); row >= 0) {
        const QModelIndex index = records_->index(row, 0);
        recordsView_->setCurrentIndex(index);
        recordsView_->scrollTo(index);
    }
    selecting_ = false;
}

void RouteDialogWindow::ShowPoints() {
    selecting_ = true;
    pointsView_->clear();
    for (int i = 0; i < chooser_.PointCount(); ++i) {
        pointsView_->addItem(FromCp1252(chooser_.PointText(i)));
    }
    pointsView_->setCurrentRow(chooser_.SelectedPoint());
    selecting_ = false;
}

// Qt hands the focus of a button it greys to the next control that takes it.
void RouteDialogWindow::EnableButtons() {
    const bool allowed[] = {chooser_.CanAdd(), chooser_.CanRemove(), chooser_.CanMoveUp(),
                            chooser_.CanMoveDown()};
    for (std::size_t i = 0; i < std::size(kRouteChangingButtons); ++i) {
        Control(kRouteChangingButtons[i])->setEnabled(allowed[i]);
    }
}

void RouteDialogWindow::ChangeRoute(void (RouteChooser::*change)()) {
    (chooser_.*change)();
    ShowPoints();
    EnableButtons();
}

void RouteDialogWindow::accept() {
    if (accept_()) {
        QDialog::accept();
    }
}

void QtRouteDialog::Run(RouteChooser& chooser, const std::function<bool()>& accept) {
    RouteDialogWindow window(chooser, accept, QApplication::activeWindow());
    window.exec();
}

}  // namespace zr640::platform
