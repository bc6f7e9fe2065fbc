// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

namespace zr640::testing {

// The one Qt application of a test or benchmark program, made by the first that needs it, on
// Qt's offscreen platform unless another is asked for.
inline void NeedQtApplication() {
    static int argc = 1;
    static char name[] = "zr640-test";
    static char* argv[] = {name, nullptr};
    if (qApp != nullptr) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}

}  // namespace zr640::testing
