// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zr640::platform {

// Starts the system's text editor on a file and returns at once, without waiting for it.
class EditorLauncher {
public:
    virtual ~EditorLauncher() = default;
    virtual void OpenInEditor(const char* path) = 0;
};

}  // namespace zr640::platform
