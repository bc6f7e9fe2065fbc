// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/message_box.h"

// <windows.h> maps the name MessageBox onto MessageBoxA, which would rename the seam's class.
#undef MessageBox

namespace zr640::platform {

// MessageBeep and MessageBoxA, owned by the active window.
class Win32MessageBox final : public MessageBox {
public:
    void Beep() override;
    void Show(const char* text, const char* caption, unsigned style) override;
};

}  // namespace zr640::platform
