// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace zr640::testing {

// A clipboard that keeps every text it is given, or refuses them all while `busy`.
class RecordingClipboard final : public platform::Clipboard {
public:
    bool SetText(const std::string& text) override {
        if (!busy) texts.push_back(text);
        return !busy;
    }

    std::vector<std::string> texts;
    bool busy = false;
};

}  // namespace zr640::testing
