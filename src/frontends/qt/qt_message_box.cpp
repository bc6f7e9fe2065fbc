// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/qt_message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "frontends/qt/cp1252.h"

namespace zr640::platform {
namespace {

// The icon bits of a Windows message box style; every style shows one OK button here,
// the only one the program asks for.
QMessageBox::Icon IconOf(unsigned style) {
    switch (style & 0xF0u) {
    case 0x10: return QMessageBox::Critical;
    case 0x20: return QMessageBox::Question;
    case 0x30: return QMessageBox::Warning;
    case 0x40: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

void QtMessageBox::Beep() { QApplication::beep(); }

void QtMessageBox::Show(const char* text, const char* caption, unsigned style) {
    QMessageBox box(IconOf(style), FromCp1252(caption), FromCp1252(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace zr640::platform
