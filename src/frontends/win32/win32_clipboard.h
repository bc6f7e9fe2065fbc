// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clipboard.h"
#include "frontends/win32/win32_dialog_controls.h"

namespace zr640::platform {

// The Windows clipboard, owned by the main dialog. The core's Windows-1252 text goes there as
// CF_UNICODETEXT, so that umlauts and the degree sign paste right into any program.
class Win32Clipboard final : public Clipboard {
public:
    explicit Win32Clipboard(const Win32DialogControls& owner) : owner_(owner) {}
    bool SetText(const std::string& text) override;

private:
    const Win32DialogControls& owner_;
};

}  // namespace zr640::platform
