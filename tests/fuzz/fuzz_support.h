#pragma once

#include <cstdio>
#include <cstdlib>

#include "platform/message_box.h"

namespace zr640::fuzz {

// A broken promise of the code under test: reported like a crash, with the condition.
#define ZR640_REQUIRE(condition)                                                      \
    do {                                                                              \
        if (!(condition)) {                                                           \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                             \
        }                                                                             \
    } while (false)

// Counts the message boxes instead of printing each to standard error, which would slow the
// fuzzer down and bury its report.
class CountingMessageBox final : public platform::MessageBox {
public:
    CountingMessageBox() { platform::InstallMessageBox(this); }
    ~CountingMessageBox() override { platform::InstallMessageBox(nullptr); }
    CountingMessageBox(const CountingMessageBox&) = delete;
    CountingMessageBox& operator=(const CountingMessageBox&) = delete;

    void Beep() override {}
    void Show(const char*, const char*, unsigned) override { ++shown; }

    int shown = 0;
};

}  // namespace zr640::fuzz
