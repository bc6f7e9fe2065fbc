// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zr640 {

// The instrument's 4-byte floating-point number, exponent byte first (bias 129), then sign
// and fraction. Exponents 0, 1 and 2 give +0.0; no byte pattern gives an infinity or a NaN.
float DeviceFloat(const std::uint8_t* bytes);

}  // namespace zr640
