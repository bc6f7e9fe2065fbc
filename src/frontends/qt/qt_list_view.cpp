// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/qt_list_view.h"

#include <algorithm>
#include <memory>

#include <QApplication>
#include <QCache>
#include <QPaintEvent>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include "frontends/qt/cp1252.h"

namespace zr640::platform {
namespace {

// Enough for every row the list shows at once, with room to scroll a page either way.
constexpr qsizetype kCachedLayouts = 128;

}  // namespace

// Draws the event log's rows. Every row gets the scrollable width, as a list box with a
// horizontal extent has: lines scroll sideways up to that width and are cut off beyond it.
// Laying out a telemetry line of some 330 characters costs more than drawing it, and a row is
// drawn again when its selection moves or the list scrolls sideways: so the layout of each line
// in view is kept. Background, selection and focus the style draws as usual.
class LogLineDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void SetExtent(int pixels) {
        extent_ = pixels;
        layouts_.clear();
    }

    // Every row is one line of text in the list's font, an empty one too: the height of a row
    // that holds one character, without laying out the row's own text for it. The list asks
    // at each layout, that is for each new line; the answer changes with the font and style.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int lineHeight = option.fontMetrics.height();
        if (extent_ <= 0) {
            return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(0, lineHeight));
        }
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        if (option.font == sizedFont_ && style == sizedStyle_) return QSize(extent_, rowHeight_);
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.text = QStringLiteral("X");
        const QSize oneCharacter =
            style->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), widget);
        rowHeight_ = std::max(oneCharacter.height(), lineHeight);
        sizedFont_ = option.font;
        sizedStyle_ = style;
        return QSize(extent_, rowHeight_);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        const QString text = item.text;
        item.text.clear();
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

    int extent_ = 0;
    mutable QFont sizedFont_;
    mutable const QStyle* sizedStyle_ = nullptr;
    mutable int rowHeight_ = 0;
    mutable QFont font_;
    mutable QCache<QString, QTextLayout> layouts_{kCachedLayouts};
};

// The log's scroll bars. Each new line sets the vertical bar's steps, changes its range and
// moves it back to the end, and lays out the scroll area's bars again, which repaints them both;
// yet the slider moves by a pixel only now and then. So a bar keeps a picture of itself and
// paints from it, and the style draws the picture again once anything about the bar has changed
// (all of it: the style draws the stretches before and after the slider according to their
// lengths). The vertical bar is tall enough for the raster engine to spread the style's fills
// over threads, whose hand-offs cost more than the drawing: the picture is drawn in bands of
// lines, each short enough to be filled on this thread.
class LogScrollBar final : public QScrollBar {
    // Fewer lines than the raster engine spreads over threads.
    static constexpr int kBandLines = 64;

public:
    explicit LogScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) {}

protected:
    // A bar the pointer is on or drags is drawn as usual, with the part under the pointer lit;
    // the picture is drawn again once it is left.
    void paintEvent(QPaintEvent* event) override {
        if (underMouse() || isSliderDown()) {
            drawn_ = Look{};
            QScrollBar::paintEvent(event);
            return;
        }
        const Look now = LookNow();
        if (!(now == drawn_) || picture_.isNull()) DrawPicture(now);
        QPainter(this).drawPixmap(0, 0, picture_);
    }

private:
    // All that the style draws a bar from.
    struct Look {
        QStyleOptionSlider option;
        qint64 palette = 0;
        const QStyle* style = nullptr;
        qreal ratio = 0;

        bool operator==(const Look& other) const {
            const QStyleOptionSlider& a = option;
            const QStyleOptionSlider& b = other.option;
            return style != nullptr && a.rect == b.rect && a.state == b.state &&
                   a.direction == b.direction && a.minimum == b.minimum &&
                   a.maximum == b.maximum && a.sliderPosition == b.sliderPosition &&
                   a.pageStep == b.pageStep && a.upsideDown == b.upsideDown &&
                   palette == other.palette && style == other.style && ratio == other.ratio;
        }
    };

    Look LookNow() const {
        Look look;
        initStyleOption(&look.option);
        look.option.subControls = QStyle::SC_All;
        look.palette = palette().cacheKey();
        look.style = style();
        look.ratio = devicePixelRatioF();
        return look;
    }

    void DrawPicture(const Look& now) {
        picture_ = QPixmap(size() * now.ratio);
        picture_.setDevicePixelRatio(now.ratio);
        picture_.fill(Qt::transparent);
        QPainter painter(&picture_);
        for (int top = 0; top < height(); top += kBandLines) {
            const QRect band(0, top, width(), std::min(kBandLines, height() - top));
            QImage piece(band.size() * now.ratio, QImage::Format_ARGB32_Premultiplied);
            piece.setDevicePixelRatio(now.ratio);
            piece.fill(Qt::transparent);
            QPainter onPiece(&piece);
            onPiece.translate(-band.topLeft());
            style()->drawComplexControl(QStyle::CC_ScrollBar, &now.option, &onPiece, this);
            onPiece.end();
            painter.drawImage(band.topLeft(), piece);
        }
        drawn_ = now;
    }

    Look drawn_;
    QPixmap picture_;
};

QtListView::QtListView(QListWidget& widget)
    : widget_(widget), delegate_(new LogLineDelegate(&widget)) {
    widget_.setVerticalScrollBar(new LogScrollBar(Qt::Vertical));
    widget_.setHorizontalScrollBar(new LogScrollBar(Qt::Horizontal));
    widget_.setSortingEnabled(false);
    widget_.setUniformItemSizes(true);
    widget_.setTextElideMode(Qt::ElideNone);
    widget_.setItemDelegate(delegate_);
}

// A list view lays itself out again after each row added or taken and then paints every row in
// view, though the log only ever adds a row at the end and takes the oldest. So the list is laid
// out at once with its painting held, and what changed on screen is painted afterwards: a row
// added in view, and the rows in view moved as a scroll would move them where they have moved
// (at the cap, where the oldest goes; the new row at the bottom comes into view as the scroll to
// it brings it). Should the row taken be in view, or the list not need its scroll bar, all is
// painted.
template <typename Change>
void QtListView::RepaintWhatChanges(QListWidgetItem* changed, Change change) {
    QWidget* viewport = widget_.viewport();
    QScrollBar* bar = widget_.verticalScrollBar();
    QListWidgetItem* top = widget_.itemAt(0, 0);
    const bool changedInView =
        changed != nullptr && widget_.visualItemRect(changed).intersects(viewport->rect());
    if (top == nullptr || top == changed || changedInView || !viewport->updatesEnabled() ||
        bar->maximum() <= bar->minimum()) {
        change();
        return;
    }
    const int topWas = widget_.visualItemRect(top).top();
    viewport->setAttribute(Qt::WA_UpdatesDisabled, true);
    change();
    widget_.doItemsLayout();
    viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
    const int moved = widget_.visualItemRect(top).top() - topWas;
    if (bar->maximum() <= bar->minimum()) {
        viewport->update();
    } else if (moved != 0) {
        viewport->scroll(0, moved);
    }
}

void QtListView::AddString(const char* text) {
    auto* item = new QListWidgetItem(FromCp1252(text));
    RepaintWhatChanges(nullptr, [&] { widget_.addItem(item); });
    const QRect added = widget_.visualItemRect(item);
    if (added.intersects(widget_.viewport()->rect())) widget_.viewport()->update(added);
}

int QtListView::Count() const { return widget_.count(); }

void QtListView::DeleteString(int index) {
    QListWidgetItem* item = widget_.item(index);
    RepaintWhatChanges(item, [&] { delete widget_.takeItem(index); });
}

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
