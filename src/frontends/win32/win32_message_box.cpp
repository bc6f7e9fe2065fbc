// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/win32/win32_message_box.h"

#include <windows.h>

namespace zr640::platform {

void Win32MessageBox::Beep() { MessageBeep(0); }

void Win32MessageBox::Show(const char* text, const char* caption, unsigned style) {
    MessageBoxA(GetActiveWindow(), text, caption, style);
}

}  // namespace zr640::platform
