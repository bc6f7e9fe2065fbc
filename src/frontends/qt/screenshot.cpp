// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/qt/screenshot.h"

#include <cstdio>

#include <QDialog>
#include <QPixmap>
#include <QString>
#include <QTimer>

namespace zr640::platform {
namespace {

constexpr int kDefaultDelayMs = 3000;

int DelayFromEnvironment() {
    bool ok = false;
    const int delay = qEnvironmentVariableIntValue("ZR640_SCREENSHOT_DELAY_MS", &ok);
    return ok && delay >= 0 ? delay : kDefaultDelayMs;
}

}  // namespace

void ArrangeScreenshotFromEnvironment(QDialog& dialog) {
    const QString path = qEnvironmentVariable("ZR640_SCREENSHOT");
    if (path.isEmpty()) {
        return;
    }
    QTimer::singleShot(DelayFromEnvironment(), &dialog, [&dialog, path] {
        if (!dialog.grab().save(path, "PNG")) {
            std::fprintf(stderr, "zr640: could not save the screenshot %s\n",
                         qPrintable(path));
        }
        dialog.reject();
    });
}

}  // namespace zr640::platform
