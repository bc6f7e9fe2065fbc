// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/dialog_template.h"

#include <QFontMetrics>

namespace zr640::platform {
namespace {

int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect ToPixels(const DialogUnitRect& units, DialogBaseUnits base) {
    return QRect(MulDiv(units.x, base.width, 4), MulDiv(units.y, base.height, 8),
                 MulDiv(units.width, base.width, 4), MulDiv(units.height, base.height, 8));
}

void ChainTabOrder(std::span<const ControlTemplate> templates,
                   const std::map<int, QWidget*>& controls) {
    QWidget* previous = nullptr;
    for (const ControlTemplate& control : templates) {
        QWidget* widget = controls.at(control.id);
        if ((widget->focusPolicy() & Qt::TabFocus) == 0) {
            continue;
        }
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

QFont DialogFont() {
    QFont font("DejaVu Sans", 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace zr640::platform
