#include "frontends/qt/qt_list_view.h"

#include <algorithm>

#include <QStyledItemDelegate>

#include "frontends/qt/cp1252.h"

namespace zr640::platform {
// Gives every row the scrollable width, as a list box with a horizontal extent has: lines
// scroll sideways up to that width and are cut off beyond it.
class ExtentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void SetExtent(int pixels) { extent_ = pixels; }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize natural = QStyledItemDelegate::sizeHint(option, index);
        // An empty entry is as high as any other line.
        int height = std::max(natural.height(), option.fontMetrics.height());
        return QSize(extent_ > 0 ? extent_ : natural.width(), height);
    }

private:
    int extent_ = 0;
};

QtListView::QtListView(QListWidget& widget)
    : widget_(widget), delegate_(new ExtentDelegate(&widget)) {
    widget_.setSortingEnabled(false);
    widget_.setUniformItemSizes(true);
    widget_.setTextElideMode(Qt::ElideNone);
    widget_.setItemDelegate(delegate_);
}

void QtListView::AddString(const char* text) { widget_.addItem(FromCp1252(text)); }

int QtListView::Count() const { return widget_.count(); }

void QtListView::DeleteString(int index) { delete widget_.takeItem(index); }

void QtListView::SetCurSel(int index) {
    widget_.setCurrentRow(index);
    if (QListWidgetItem* item = widget_.item(index)) {
        widget_.scrollToItem(item);
    }
}

std::string QtListView::GetText(int index) const {
    const QListWidgetItem* item = widget_.item(index);
    return item != nullptr ? ToCp1252(item->text()) : std::string();
}

int QtListView::GetCurSel() const {
    const QListWidgetItem* item = widget_.currentItem();
    return item != nullptr && item->isSelected() ? widget_.row(item) : -1;
}

void QtListView::SetHorizontalExtent(int pixels) {
    delegate_->SetExtent(pixels);
    widget_.doItemsLayout();
}

}  // namespace zr640::platform
