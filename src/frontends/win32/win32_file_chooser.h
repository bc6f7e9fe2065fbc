// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/file_chooser.h"
#include "frontends/win32/win32_dialog_controls.h"

namespace zr640::platform {

// GetOpenFileNameA and GetSaveFileNameA, owned by the main dialog.
class Win32FileChooser final : public FileChooser {
public:
    explicit Win32FileChooser(const Win32DialogControls& owner) : owner_(owner) {}
    bool ChooseFile(const FileChooserRequest& request, std::string& chosenPath) override;

private:
    const Win32DialogControls& owner_;
};

}  // namespace zr640::platform
