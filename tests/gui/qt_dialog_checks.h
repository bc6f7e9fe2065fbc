// SPDX-License-Identifier: GPL-3.0-or-later
// What the tests of the Qt dialogs share: the modal window that a command opens, a list's
// entries, and a window held against its template's table.
#pragma once

#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialog_templates.h"
#include "frontends/qt/dialog_template.h"

namespace zr640::testing {

// Runs `action` on the modal window that opens next, inside that window's loop, once it has
// opened: after a menu's loop, or once a job has read what the window shows.
inline void OnModal(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->deleteLater();
            poll->stop();
            action(modal);
        }
    });
    poll->start(5);
}

inline QStringList EntriesOf(QWidget* list) {
    QStringList entries;
    for (int i = 0; i < qobject_cast<QListWidget*>(list)->count(); ++i) {
        entries << qobject_cast<QListWidget*>(list)->item(i)->text();
    }
    return entries;
}

// The window as the table says, in the dialog units of its font: caption, size, and each
// control's class, text and place (an icon at its own size); Tab visits the tab stops that are
// not greyed in the table's order.
template <typename Window>
void ExpectLaidOutAsTemplate(Window* window, const DialogTemplateTable& table) {
    const platform::DialogBaseUnits base = platform::BaseUnitsOf(window->font());
    EXPECT_EQ(window->windowTitle(), QString::fromLatin1(table.caption));
    EXPECT_EQ(window->size(), platform::ToPixels({0, 0, table.width, table.height}, base).size());
    QList<int> tabStops;
    for (const TemplateControl& c : table.controls) {
        SCOPED_TRACE(c.id);
        QWidget* control = window->Control(c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->inherits(QtClassOf(c))) << control->metaObject()->className();
        if (c.text[0] != '\0') {  // else the program's to set
            const char* property = control->inherits("QGroupBox") ? "title" : "text";
            EXPECT_EQ(control->property(property).toString(), QString::fromLatin1(c.text));
        }
        const bool icon = std::string(c.windowClass) == "Static" && (c.style & 0xF) == kIcon;
        QRect place = platform::ToPixels({c.x, c.y, c.width, c.height}, base);
        if (icon) place.setSize({kIconPixels, kIconPixels});
        EXPECT_EQ(QRect(control->mapTo(window, QPoint()), control->size()), place);
        if ((c.style & kTabStop) && control->isEnabled()) tabStops << c.id;
        if (std::string(c.windowClass) == "Button" && (c.style & 0xF) == kDefPushButton) {
            EXPECT_TRUE(qobject_cast<QPushButton*>(control)->isDefault());
        }
    }
    // The window system activates the window once it is shown.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == window; }));
    const auto focused = [] { return QApplication::focusWidget()->property("controlId").toInt(); };
    QList<int> visited{focused()};
    while (visited.size() < tabStops.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focused();
    }
    EXPECT_EQ(visited, tabStops);
}

}  // namespace zr640::testing
