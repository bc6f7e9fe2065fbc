// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/message_box.h"

namespace zr640::platform {

// The modal message box of Qt, owned by the active window. Its own event loop keeps
// delivering the dialog's timer ticks while it is shown.
class QtMessageBox final : public MessageBox {
public:
    void Beep() override;
    void Show(const char* text, const char* caption, unsigned style) override;
};

}  // namespace zr640::platform
