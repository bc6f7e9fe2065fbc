// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/file_chooser.h"

namespace zr640::platform {

// Qt's own file dialog (not the desktop's, so that it also runs without a desktop). The
// chosen path is handed over in the file system's encoding, the bytes the C library opens.
class QtFileChooser final : public FileChooser {
public:
    bool ChooseFile(const FileChooserRequest& request, std::string& chosenPath) override;
};

}  // namespace zr640::platform
