// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/main_dialog.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "frontends/qt/cp1252.h"
#include "frontends/qt/edit_frame_style.h"

namespace zr640::platform {
namespace {

constexpr int kIconPixels = 32;

bool Contains(const DialogUnitRect& outer, const DialogUnitRect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// An automatic radio button as Windows has it: a click checks it and never clears it. The
// dialog clears the other indicator itself; an exclusive QButtonGroup would do that too,
// but it also takes the unchecked button out of the Tab order, which visits both.
class IndicatorButton final : public QRadioButton {
public:
    explicit IndicatorButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
        setAutoExclusive(false);
    }

protected:
    void nextCheckState() override { setChecked(true); }
};

}  // namespace

MainDialog::MainDialog(MainDialogController& controller)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      controller_(controller) {
    setWindowTitle(FromCp1252(kMainDialogCaption));
    setFont(DialogFont());
    const DialogBaseUnits base = BaseUnitsOf(font());
    // The template asks for no centring: the window opens at the top left of the screen.
    move(0, 0);
    setFixedSize(ToPixels(kMainDialogRect, base).size());
    CreateControls(base);
    ChainTabOrder(kMainDialogControls, controls_);
    connect(&pollTimer_, &QTimer::timeout, this, [this] { controller_.OnTimer(); });

    controller_.OnInitDialog(*this);
    Control(IDC_BYTE_DISPLAY)->setFocus();
}

MainDialog::~MainDialog() { controller_.OnDestroy(); }

QWidget* MainDialog::Control(int id) const {
    auto it = controls_.find(id);
    return it != controls_.end() ? it->second : nullptr;
}

void MainDialog::CreateControls(DialogBaseUnits base) {
    QWidget* groupBox = nullptr;
    DialogUnitRect groupBounds{};
    for (const ControlTemplate& control : kMainDialogControls) {
        QRect pixels = ToPixels(control.bounds, base);
        QWidget* parent = this;
        // The group box owns the controls inside its frame, so that they are its children
        // on screen as well; template positions count from the dialog's corner.
        if (groupBox != nullptr && Contains(groupBounds, control.bounds)) {
            parent = groupBox;
            pixels.translate(-groupBox->pos());
        }
        QWidget* widget = CreateControl(control, parent);
        if (control.kind == ControlKind::Icon) {
            // A static icon control takes the size of its icon, whatever the template says.
            pixels.setSize(QSize(kIconPixels, kIconPixels));
        }
        widget->setGeometry(pixels);
        widget->setProperty("controlId", control.id);
        widget->setObjectName(QString("control%1").arg(control.id));
        controls_[control.id] = widget;
        if (control.kind == ControlKind::GroupBox) {
            groupBox = widget;
            groupBounds = control.bounds;
        }
    }
}

QWidget* MainDialog::CreateControl(const ControlTemplate& control, QWidget* parent) {
    const QString text = FromCp1252(control.text);
    switch (control.kind) {
    case ControlKind::Icon: {
        auto* label = new QLabel(parent);
        label->setPixmap(QPixmap(":/zr640.png"));
        return label;
    }
    case ControlKind::EditField: {
        auto* edit = new QLineEdit(text, parent);
        edit->setStyle(EditFrameStyle());
        // What the user types reaches the controller as the edit field's command, as EN_CHANGE
        // reaches a Windows dialog; the program's own texts do not.
        const int id = control.id;
        connect(edit, &QLineEdit::textEdited, this, [this, id] { controller_.OnCommand(id); });
        return edit;
    }
    case ControlKind::PushButton: {
        auto* button = new QPushButton(text, parent);
        // No default button: Enter must not press the button that has the focus.
        button->setAutoDefault(false);
        button->setDefault(false);
        const int id = control.id;
        connect(button, &QPushButton::clicked, this, [this, id] { controller_.OnCommand(id); });
        return button;
    }
    case ControlKind::RadioButton: {
        auto* radio = new IndicatorButton(text, parent);
        indicators_.push_back(radio);
        const int id = control.id;
        connect(radio, &QRadioButton::clicked, this,
                [this, radio, id] { OnIndicatorClicked(radio, id); });
        return radio;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(parent);
        // Like LBS_DISABLENOSCROLL: the bar stays, disabled while every entry fits.
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        eventLog_ = std::make_unique<QtListView>(*list);
        logWidget_ = list;
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](QPoint at) {
            ShowLogMenu(list->viewport()->mapToGlobal(at));
        });
        list->installEventFilter(this);
        // The press before it has selected the entry, which the controller reads.
        connect(list, &QAbstractItemView::doubleClicked, this,
                [this] { controller_.OnLogDoubleClick(); });
        return list;
    }
    case ControlKind::GroupBox: {
        auto* group = new QGroupBox(text, parent);
        // As on Windows, the frame's top line runs through the middle of the title, so that
        // the controls placed just below the title lie inside the frame.
        const int halfTitle = group->fontMetrics().height() / 2;
        group->setStyleSheet(
            QString("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                    " margin-top: %1px; }"
                    " QGroupBox::title { subcontrol-origin: margin; left: %2px; padding: 0 2px; }")
                .arg(halfTitle)
                .arg(halfTitle));
        return group;
    }
    case ControlKind::Label:
    case ControlKind::ReportList:
    case ControlKind::DefaultButton:
        break;  // template 100 has none
    }
    return new QWidget(parent);
}

void MainDialog::SetTitle(const char* text) { setWindowTitle(FromCp1252(text)); }

void MainDialog::SetItemText(int id, const char* text) {
    QWidget* widget = Control(id);
    const QString shown = id == IDC_PATH ? QFile::decodeName(text) : FromCp1252(text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(shown);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(shown);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(shown);
    }
}

void MainDialog::CheckButton(int id, bool checked) {
    // As CheckDlgButton: this button alone, the other indicator stays as it is.
    if (auto* button = qobject_cast<QAbstractButton*>(Control(id))) {
        button->setChecked(checked);
    }
}

void MainDialog::EnableItem(int id, bool enabled) {
    // Qt hands the focus of a control it disables to the next one that takes it.
    if (QWidget* widget = Control(id)) {
        widget->setEnabled(enabled);
    }
}

void MainDialog::OnIndicatorClicked(QAbstractButton* clicked, int id) {
    for (QAbstractButton* other : indicators_) {
        if (other != clicked) {
            other->setChecked(false);
        }
    }
    controller_.OnCommand(id);
}

ListView* MainDialog::List(int id) { return id == IDC_LOG ? eventLog_.get() : nullptr; }

void MainDialog::StartTimer(unsigned periodMs) { pollTimer_.start(static_cast<int>(periodMs)); }

void MainDialog::StopTimer() { pollTimer_.stop(); }

void MainDialog::EndDialog() { done(1); }

void MainDialog::reject() { controller_.OnCommand(IDC_CANCEL); }

void MainDialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        controller_.OnCommand(IDC_ENTER);
        return;
    }
    QDialog::keyPressEvent(event);
}

// Ctrl+C copies through the controller, which hands out the entry as the menu's command does,
// not Qt's copy of the text shown. Shift+F10 opens the menu as the menu key does.
bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != logWidget_ || event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy)) {
        controller_.OnCommand(IDM_COPY_LINE);
        return true;
    }
    const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
    if (shiftF10 || key->key() == Qt::Key_Menu) {
        ShowLogMenu(KeyboardMenuPosition());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QPoint MainDialog::KeyboardMenuPosition() const {
    const QWidget* viewport = logWidget_->viewport();
    QRect entry;
    if (QListWidgetItem* current = logWidget_->currentItem()) {
        entry = logWidget_->visualItemRect(current).intersected(viewport->rect());
    }
    const QPoint corner = entry.isEmpty() ? QPoint(0, 0) : entry.bottomLeft();
    return viewport->mapToGlobal(corner);
}

void MainDialog::ShowLogMenu(const QPoint& globalPosition) {
    QMenu menu(this);
    for (const MenuEntry& entry : controller_.OpenLogMenu(Menu::LogContextWithAbout)) {
        if (entry.id == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(FromCp1252(entry.text));
        action->setEnabled(entry.enabled);
        action->setData(entry.id);
    }
    const QAction* chosen = menu.exec(globalPosition);
    controller_.CloseLogMenu(chosen != nullptr ? chosen->data().toInt() : 0);
}

// QObject comes first among the bases: it is built before the runner and destroyed after it,
// once the runner has joined its job. The slot is named rather than handed over as a functor:
// then Qt alone builds the queued call, behind the lock of its event queue, and nothing of ours
// crosses between the threads outside the runner's own lock (which ThreadSanitizer can check;
// Qt's lock it cannot see).
EventLoopJobRunner::EventLoopJobRunner()
    : ThreadJobRunner(
          [this] { QMetaObject::invokeMethod(this, "runPosted", Qt::QueuedConnection); }) {}

}  // namespace zr640::platform
