// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/editor_launcher.h"

namespace zr640::platform {

// Opens the file with the desktop's program for it through xdg-open. The path is one
// argument of its own and no shell sees it, so no file name can inject a command. The
// program is started from a short-lived middle process, so that it is never our child and
// needs no reaping, and a start that fails is reported in a message box.
class XdgEditorLauncher final : public EditorLauncher {
public:
    void OpenInEditor(const char* path) override;
};

}  // namespace zr640::platform
