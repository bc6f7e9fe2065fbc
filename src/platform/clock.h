// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zr640::platform {

// A monotonic millisecond clock; differences are taken as unsigned 32-bit values.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual std::uint32_t NowMs() = 0;
    // Lets `ms` pass on this clock without using the processor.
    virtual void Sleep(std::uint32_t ms) = 0;
};

// The standard library's steady clock.
class SteadyClock final : public MonotonicClock {
public:
    std::uint32_t NowMs() override;
    void Sleep(std::uint32_t ms) override;
};

}  // namespace zr640::platform
