#pragma once

#include <cctype>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/telemetry_frame.h"

namespace zr640::testing {

// Bytes written as hexadecimal pairs, blanks between them allowed: "24 41 2D 00".
inline std::vector<std::uint8_t> HexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    std::string pair;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            throw std::invalid_argument("not a hexadecimal digit: " + std::string(1, c));
        }
        pair += c;
        if (pair.size() == 2) {
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16)));
            pair.clear();
        }
    }
    if (!pair.empty()) {
        throw std::invalid_argument("odd number of hexadecimal digits");
    }
    return bytes;
}

// A frame buffer holding the frame's bytes from index 0 and zeros behind them.
inline FrameBytes FrameFromHex(std::string_view text) {
    const std::vector<std::uint8_t> bytes = HexBytes(text);
    if (bytes.size() > kFrameBufferSize) {
        throw std::invalid_argument("frame longer than the buffer");
    }
    FrameBytes frame{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        frame[i] = bytes[i];
    }
    return frame;
}

}  // namespace zr640::testing
