// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/editor_launcher.h"
#include "frontends/win32/win32_dialog_controls.h"

namespace zr640::platform {

// Notepad through ShellExecuteA, owned by the main dialog.
class Win32EditorLauncher final : public EditorLauncher {
public:
    explicit Win32EditorLauncher(const Win32DialogControls& owner) : owner_(owner) {}
    void OpenInEditor(const char* path) override;

private:
    const Win32DialogControls& owner_;
};

}  // namespace zr640::platform
