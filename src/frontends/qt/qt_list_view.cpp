// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/qt_list_view.h"

#include <algorithm>
#include <memory>

#include <QApplication>
#include <QCache>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include "frontends/qt/cp1252.h"

namespace zr640::platform {
namespace {

// Enough for every row the list shows at once, with room to scroll a page either way; the
// pictures, some 50 KB each, for the rows in view and a few more.
constexpr qsizetype kCachedLayouts = 128;
constexpr qsizetype kCachedPictures = 48;

}  // namespace

// Draws the event log's rows. Every row gets the scrollable width, as a list box with a
// horizontal extent has: lines scroll sideways up to that width and are cut off beyond it.
// Each new line makes the list repaint every row in view, and laying out a telemetry line of
// some 330 characters costs more than drawing it, drawing it more than copying a picture of it:
// so the layout of each line in view is kept, and what shows of a plain row is kept as a
// picture. Background, selection and focus of the other rows the style draws as usual.
class LogLineDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void SetExtent(int pixels) {
        extent_ = pixels;
        layouts_.clear();
        pictures_.clear();
    }

    // Every row is one line of text in the list's font, an empty one too: the height of a row
    // that holds one character, without laying out the row's own text for it.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int lineHeight = option.fontMetrics.height();
        if (extent_ <= 0) {
            return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(0, lineHeight));
        }
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.text = QStringLiteral("X");
        const QWidget* widget = item.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        const QSize oneCharacter =
            style->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), widget);
        return QSize(extent_, std::max(oneCharacter.height(), lineHeight));
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        const QString text = item.text;
        item.text.clear();
        // A plain row looks the same until it scrolls sideways: what shows of it is kept as a
        // picture and copied. A row the user's attention is on is drawn afresh.
        const QRect shown = item.rect.intersected(
            QRect(0, item.rect.top(), painter->device()->width(), item.rect.height()));
        const bool plain = (item.state & (QStyle::State_Selected | QStyle::State_MouseOver |
                                          QStyle::State_HasFocus)) == 0;
        if (plain && !shown.isEmpty()) {
            painter->drawPixmap(shown.topLeft(), PictureOf(text, item, shown, style));
            return;
        }
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        DrawText(painter, text, item, style);
    }

private:
    // The row's text where the style would put it: across the whole row (there is neither icon
    // nor check box), less the style's margin, centred in the row's height. (Asking the style
    // for the text's place would lay the text out.)
    void DrawText(QPainter* painter, const QString& text, const QStyleOptionViewItem& item,
                  const QStyle* style) const {
        if (text.isEmpty()) return;
        const int margin =
            style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
        const QRect textRect = item.rect.adjusted(margin, 0, -margin, 0);
        const bool selected = (item.state & QStyle::State_Selected) != 0;
        painter->setPen(item.palette.color(ColorGroupOf(item), selected ? QPalette::HighlightedText
                                                                         : QPalette::Text));
        const QTextLayout& layout = LayoutOf(text, item.font, textRect.width());
        const qreal top = textRect.top() + (textRect.height() - layout.boundingRect().height()) / 2;
        layout.draw(painter, QPointF(textRect.left(), top));
    }

    static QPalette::ColorGroup ColorGroupOf(const QStyleOptionViewItem& item) {
        if ((item.state & QStyle::State_Enabled) == 0) return QPalette::Disabled;
        return (item.state & QStyle::State_Active) == 0 ? QPalette::Inactive : QPalette::Normal;
    }

    // The part `shown` of a plain row, in the list's colours.
    const QPixmap& PictureOf(const QString& text, const QStyleOptionViewItem& item,
                             const QRect& shown, const QStyle* style) const {
        const QRgb ink = item.palette.color(ColorGroupOf(item), QPalette::Text).rgba();
        const QRgb paper = item.palette.color(ColorGroupOf(item), QPalette::Base).rgba();
        // How far the row is scrolled sideways decides what shows of it.
        const int rowLeft = item.rect.left();
        RowPicture* kept = pictures_.object(text);
        if (kept != nullptr && kept->rowLeft == rowLeft && kept->size == shown.size() &&
            kept->ink == ink && kept->paper == paper && kept->font == item.font) {
            return kept->pixmap;
        }
        const qreal ratio = item.widget != nullptr ? item.widget->devicePixelRatioF() : 1.0;
        auto picture = std::make_unique<RowPicture>(RowPicture{
            rowLeft, shown.size(), ink, paper, item.font, QPixmap(shown.size() * ratio)});
        picture->pixmap.setDevicePixelRatio(ratio);
        picture->pixmap.fill(QColor::fromRgba(paper));
        QPainter onPicture(&picture->pixmap);
        onPicture.translate(-shown.topLeft());
        DrawText(&onPicture, text, item, style);
        onPicture.end();
        kept = picture.get();
        pictures_.insert(text, picture.release());
        return kept->pixmap;
    }

    const QTextLayout& LayoutOf(const QString& text, const QFont& font, int width) const {
        if (font != font_) {
            layouts_.clear();
            font_ = font;
        }
        if (QTextLayout* kept = layouts_.object(text)) return *kept;
        auto layout = std::make_unique<QTextLayout>(text, font);
        QTextOption lineOption(Qt::AlignLeft | Qt::AlignVCenter);
        lineOption.setWrapMode(QTextOption::ManualWrap);
        layout->setTextOption(lineOption);
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(width);
        }
        layout->endLayout();
        layout->setCacheEnabled(true);
        QTextLayout* kept = layout.get();
        layouts_.insert(text, layout.release());
        return *kept;
    }

    struct RowPicture {
        int rowLeft;
        QSize size;
        QRgb ink;
        QRgb paper;
        QFont font;
        QPixmap pixmap;
    };

    int extent_ = 0;
    mutable QFont font_;
    mutable QCache<QString, QTextLayout> layouts_{kCachedLayouts};
    mutable QCache<QString, RowPicture> pictures_{kCachedPictures};
};

// The log's vertical scroll bar. Every new line sets its steps and changes its range, yet the
// slider it shows moves by a pixel only now and then: it is repainted when what it shows has
// changed.
class LogScrollBar final : public QScrollBar {
public:
    LogScrollBar() : QScrollBar(Qt::Vertical) {}

protected:
    void sliderChange(SliderChange change) override {
        if (change != SliderOrientationChange && Look() == painted_) return;
        QScrollBar::sliderChange(change);
    }

    void paintEvent(QPaintEvent* event) override {
        painted_ = Look();
        QScrollBar::paintEvent(event);
    }

private:
    // The slider's place, and whether the arrows at either end and the bar itself can be used.
    struct Shown {
        QRect slider;
        bool atMinimum = false, atMaximum = false, usable = false;
        bool operator==(const Shown&) const = default;
    };

    Shown Look() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect slider = style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                     QStyle::SC_ScrollBarSlider, this);
        return {slider, value() == minimum(), value() == maximum(), maximum() > minimum()};
    }

    Shown painted_;
};

QtListView::QtListView(QListWidget& widget)
    : widget_(widget), delegate_(new LogLineDelegate(&widget)) {
    widget_.setVerticalScrollBar(new LogScrollBar);
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
