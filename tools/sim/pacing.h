// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace zr640::sim {

// Monotonic time in nanoseconds.
using TimeNs = std::int64_t;

inline constexpr TimeNs kNsPerMs = 1'000'000;
inline constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

// The time the line needs for one direction's bytes at `baud` (0: an unpaced line that
// carries any number of bytes at once). A byte counts as delivered when its stop bit has
// gone, so a burst of n bytes begun at t ends at t + n byte times, computed from the start
// of the burst so that rounding never adds up.
class LineClock {
public:
    explicit LineClock(long baud) : baud_(baud) {}

    bool Paced() const { return baud_ > 0; }
    // Begins a burst at `now`, or where the line becomes free if it is still busy.
    void StartBurst(TimeNs now);
    // How many further bytes of the burst have been delivered by `now`.
    std::size_t Deliverable(TimeNs now) const;
    // When the next byte of the burst will have been delivered.
    TimeNs NextDelivery() const { return EndOfByte(sent_); }
    void Delivered(std::size_t count) { sent_ += static_cast<std::int64_t>(count); }
    // When the bytes delivered so far have left the line.
    TimeNs FreeAt() const;

private:
    TimeNs EndOfByte(std::int64_t index) const;

    long baud_;
    TimeNs burstStart_ = 0;
    std::int64_t sent_ = 0;
};

}  // namespace zr640::sim
