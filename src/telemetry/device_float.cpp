// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetry/device_float.h"

#include <bit>

namespace zr640 {

namespace {

// The instrument's bias is 129, the IEEE single's 127: its exponent e is the single's e - 2.
constexpr std::uint8_t kSmallestNormalExponent = 3;
constexpr std::uint32_t kExponentShift = 2;

}  // namespace

float DeviceFloat(const std::uint8_t* bytes) {
    const std::uint32_t exponent = bytes[0];
    if (exponent < kSmallestNormalExponent) {
        return 0.0f;
    }
    const std::uint32_t sign = (bytes[1] & 0x80u) << 24;
    const std::uint32_t fraction =
        (static_cast<std::uint32_t>(bytes[1] & 0x7Fu) << 16) |
        (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
    return std::bit_cast<float>(sign | ((exponent - kExponentShift) << 23) | fraction);
}

}  // namespace zr640
