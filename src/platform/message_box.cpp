#include "platform/message_box.h"

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

}  // namespace

void InstallMessageBox(MessageBox* messageBox) { installedMessageBox = messageBox; }

MessageBox& InstalledMessageBox() {
    return installedMessageBox != nullptr ? *installedMessageBox : fallbackMessageBox;
}

}  // namespace zr640::platform
