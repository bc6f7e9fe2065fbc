// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>

#include "protocol/sentence_format.h"

namespace zr640 {

int SentenceChecksum(const std::uint8_t* bytes, int length) {
    std::uint8_t checksum = 0;
    // The position counter is 16-bit in the instrument's world; callers stay far below it.
    for (int position = 1; position < length; ++position) {
        checksum = static_cast<std::uint8_t>(checksum ^ bytes[position]);
    }
    return checksum;
}

std::string FrameSentence(const std::string& dollarAndBody) {
    const int checksum =
        SentenceChecksum(reinterpret_cast<const std::uint8_t*>(dollarAndBody.data()),
                         static_cast<int>(dollarAndBody.size()));
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X%c%c", checksum, 13, 10);
    return dollarAndBody + tail;
}

}  // namespace zr640
