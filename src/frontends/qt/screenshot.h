// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QDialog;

namespace zr640::platform {

// For demonstrations and the documentation: when ZR640_SCREENSHOT names a file, the dialog
// is grabbed ZR640_SCREENSHOT_DELAY_MS milliseconds (3000 unless set) after the event loop
// starts, saved there as PNG, and then ended as the Escape key ends it.
void ArrangeScreenshotFromEnvironment(QDialog& dialog);

}  // namespace zr640::platform
