// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/win32/win32_editor_launcher.h"

#include <windows.h>
#include <shellapi.h>

namespace zr640::platform {

void Win32EditorLauncher::OpenInEditor(const char* path) {
    ShellExecuteA(owner_.Window(), "open", "notepad.exe", path, nullptr, SW_SHOWNORMAL);
}

}  // namespace zr640::platform
