// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/clipboard.h"

namespace zr640::platform {

// The desktop's clipboard through Qt; it takes UTF-8 text.
class QtClipboard final : public Clipboard {
public:
    bool SetText(const std::string& text) override;
};

}  // namespace zr640::platform
