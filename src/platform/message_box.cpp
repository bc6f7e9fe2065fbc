// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/message_box.h"

#include <atomic>
#include <cstdio>

namespace zr640::platform {
namespace {

class StandardErrorMessageBox final : public MessageBox {
public:
    void Beep() override {}
    void Show(const char* text, const char* caption, unsigned) override {
        std::fprintf(stderr, "[%s] %s\n", caption, text);
    }
};

StandardErrorMessageBox fallbackMessageBox;
MessageBox* installedMessageBox = nullptr;
thread_local MessageBox* threadMessageBox = nullptr;
std::atomic<int> openBoxes{0};

}  // namespace

void InstallMessageBox(MessageBox* messageBox) { installedMessageBox = messageBox; }

void InstallThreadMessageBox(MessageBox* messageBox) { threadMessageBox = messageBox; }

MessageBox& InstalledMessageBox() {
    if (threadMessageBox != nullptr) return *threadMessageBox;
    return installedMessageBox != nullptr ? *installedMessageBox : fallbackMessageBox;
}

OpenBoxCount::OpenBoxCount() { ++openBoxes; }
OpenBoxCount::~OpenBoxCount() { --openBoxes; }
bool MessageBoxOpen() { return openBoxes.load() > 0; }

}  // namespace zr640::platform
