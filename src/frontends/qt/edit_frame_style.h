// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QStyle;

namespace zr640::platform {

// The style of the dialog's edit fields: the application's, with each field's frame kept as a
// picture. The byte display takes new text up to twenty times a second, and the style's
// rounded, smoothed frame costs more to draw than the text, though it looks the same until the
// field's size, state or colours change. One for the program's run.
QStyle* EditFrameStyle();

}  // namespace zr640::platform
