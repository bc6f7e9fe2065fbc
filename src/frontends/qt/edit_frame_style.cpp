// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/edit_frame_style.h"

#include <map>
#include <tuple>

#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>

namespace zr640::platform {
namespace {

// A field's frame for each look it has had: a handful over a run (focus, hover, greyed).
constexpr std::size_t kKeptFrames = 16;

class FramePictureStyle final : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
        if (element != PE_PanelLineEdit || frame == nullptr) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->drawPixmap(option->rect.topLeft(), PictureOf(*frame, painter, widget));
    }

private:
    using Key = std::tuple<int, int, int, qint64, qreal, int, int, int>;

    const QPixmap& PictureOf(const QStyleOptionFrame& frame, const QPainter* painter,
                             const QWidget* widget) const {
        const qreal ratio = painter->device()->devicePixelRatioF();
        const Key key{frame.rect.width(),     frame.rect.height(), int(frame.state),
                      frame.palette.cacheKey(), ratio,             frame.lineWidth,
                      frame.midLineWidth,     int(frame.features)};
        if (const auto kept = pictures_.find(key); kept != pictures_.end()) return kept->second;
        if (pictures_.size() >= kKeptFrames) pictures_.clear();
        QPixmap picture(frame.rect.size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        QStyleOptionFrame atOrigin = frame;
        atOrigin.rect.moveTo(0, 0);
        QPainter onPicture(&picture);
        QProxyStyle::drawPrimitive(PE_PanelLineEdit, &atOrigin, &onPicture, widget);
        onPicture.end();
        return pictures_.emplace(key, std::move(picture)).first->second;
    }

    mutable std::map<Key, QPixmap> pictures_;
};

}  // namespace

QStyle* EditFrameStyle() {
    static auto* style = new FramePictureStyle;
    return style;
}

}  // namespace zr640::platform
