// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zr640 {

// Exclusive or of bytes 1 .. length-1 (the leading "$" is left out).
int SentenceChecksum(const std::uint8_t* bytes, int length);

// "$BODY" -> "$BODY*HH\r\n".
std::string FrameSentence(const std::string& dollarAndBody);

}  // namespace zr640
