// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace zr640::testing {

// A clock that moves only when told to, for fakes that simulate the passing of time.
class ManualClock final : public platform::MonotonicClock {
public:
    explicit ManualClock(std::uint32_t startMs = 1000) : nowMs(startMs) {}
    std::uint32_t NowMs() override { return nowMs; }
    void Sleep(std::uint32_t ms) override { Advance(ms); }
    void Advance(std::uint32_t ms) { nowMs += ms; }

    std::uint32_t nowMs;
};

}  // namespace zr640::testing
