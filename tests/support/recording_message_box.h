// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace zr640::testing {

struct ShownMessage {
    std::string text;
    std::string caption;
    unsigned style = 0;
    bool beepedBefore = false;
};

// Records every message box instead of showing it; installed for its lifetime.
class RecordingMessageBox final : public platform::MessageBox {
public:
    RecordingMessageBox() { platform::InstallMessageBox(this); }
    ~RecordingMessageBox() override { platform::InstallMessageBox(nullptr); }
    RecordingMessageBox(const RecordingMessageBox&) = delete;
    RecordingMessageBox& operator=(const RecordingMessageBox&) = delete;

    void Beep() override { pendingBeep = true; }
    void Show(const char* text, const char* caption, unsigned style) override {
        shown.push_back({text, caption, style, pendingBeep});
        pendingBeep = false;
        if (whileOpen) whileOpen();
    }

    std::vector<ShownMessage> shown;
    // What happens while the box is open, as the ticks its event loop delivers.
    std::function<void()> whileOpen;

private:
    bool pendingBeep = false;
};

}  // namespace zr640::testing
