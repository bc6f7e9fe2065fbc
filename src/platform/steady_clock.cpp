// SPDX-License-Identifier: GPL-3.0-or-later
#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace zr640::platform {

std::uint32_t SteadyClock::NowMs() {
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

void SteadyClock::Sleep(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace zr640::platform
