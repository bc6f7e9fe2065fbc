// SPDX-License-Identifier: GPL-3.0-or-later
#include "pacing.h"

#include <algorithm>

namespace zr640::sim {

namespace {

constexpr std::int64_t kNsBitsPerSecond = 1'000'000'000LL * kBitsPerByte;

}  // namespace

void LineClock::StartBurst(TimeNs now) {
    burstStart_ = std::max(now, FreeAt());
    sent_ = 0;
}

TimeNs LineClock::EndOfByte(std::int64_t index) const {
    if (!Paced()) return burstStart_;
    // Rounded up: a byte is never early.
    return burstStart_ + ((index + 1) * kNsBitsPerSecond + baud_ - 1) / baud_;
}

TimeNs LineClock::FreeAt() const {
    if (!Paced() || sent_ == 0) return burstStart_;
    return EndOfByte(sent_ - 1);
}

std::size_t LineClock::Deliverable(TimeNs now) const {
    if (!Paced()) return SIZE_MAX;
    if (now < burstStart_) return 0;
    const std::int64_t byTime = (now - burstStart_) * baud_ / kNsBitsPerSecond;
    return byTime > sent_ ? static_cast<std::size_t>(byTime - sent_) : 0;
}

}  // namespace zr640::sim
