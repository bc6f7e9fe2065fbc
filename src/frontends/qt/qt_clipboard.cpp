// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace zr640::platform {

bool QtClipboard::SetText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    clipboard->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return true;
}

}  // namespace zr640::platform
