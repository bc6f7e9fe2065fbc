#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/message_box.h"

namespace zr640::fuzz {

// A broken promise of the code under test: reported like a crash, with the condition.
#define ZR640_REQUIRE(condition) zr640::fuzz::Require((condition), #condition, __FILE__, __LINE__)
inline void Require(bool kept, const char* promise, const char* file, int line) {
    if (kept) return;
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, promise);
    std::abort();
}

// Counts the message boxes instead of printing each, which would bury the fuzzer's report.
struct CountingMessageBox final : platform::MessageBox {
    CountingMessageBox() { platform::InstallMessageBox(this); }
    void Beep() override {}
    void Show(const char*, const char*, unsigned) override { ++shown; }
    int shown = 0;
};

}  // namespace zr640::fuzz
