#include "platform/qt/qt_list_view.h"

#include <algorithm>

#include <QStyledItemDelegate>

#include "platform/qt/cp1252.h"

namespace zr640::platform {
namespace {

// A paint of the list costs milliseconds; a transfer that logs faster than a screen can
// follow paints at this pace, and the event loop paints the rest when the transfer ends.
constexpr qint64 kMinPaintIntervalMs = 40;

}  // namespace

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

void QtListView::AddString(const char* text) {
    // Painted by the selection that follows: Qt repaints the whole list after an insertion,
    // so painting here as well would double the cost of every line.
    widget_.addItem(FromCp1252(text));
}

int QtListView::Count() const { return widget_.count(); }

void QtListView::DeleteString(int index) { delete widget_.takeItem(index); }

void QtListView::SetCurSel(int index) {
    widget_.setCurrentRow(index);
    if (QListWidgetItem* item = widget_.item(index)) {
        widget_.scrollToItem(item);
        PaintNow(item);
    }
}

void QtListView::SetHorizontalExtent(int pixels) {
    delegate_->SetExtent(pixels);
    widget_.doItemsLayout();
}

void QtListView::PaintNow(QListWidgetItem* item) {
    if (!widget_.isVisible()) {
        return;
    }
    if (sinceLastPaint_.isValid() && sinceLastPaint_.elapsed() < kMinPaintIntervalMs) {
        widget_.viewport()->update();
        return;
    }
    // Painting the entry's row brings the whole window up to date, a pending scroll of the
    // list included; the rest of the list is not painted again when it has not changed.
    widget_.viewport()->repaint(widget_.visualItemRect(item));
    sinceLastPaint_.start();
}

}  // namespace zr640::platform
