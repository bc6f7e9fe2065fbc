// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetry/number_text.h"

#include <charconv>
#include <system_error>

namespace zr640 {

void AppendFixed(std::string& text, double value, int decimals) {
    // Room for the widest angle a DeviceFloat can give, about 1e40 degrees, and its decimals.
    char digits[64];
    auto result = std::to_chars(digits, digits + sizeof digits, value,
                                std::chars_format::fixed, decimals);
    if (result.ec != std::errc{}) {
        result = std::to_chars(digits, digits + sizeof digits, value,
                               std::chars_format::scientific, decimals);
    }
    text.append(digits, result.ptr);
}

}  // namespace zr640
