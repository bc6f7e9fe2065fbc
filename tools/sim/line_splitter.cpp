// SPDX-License-Identifier: GPL-3.0-or-later
#include "line_splitter.h"

namespace zr640::sim {

std::vector<ReceivedLine> LineSplitter::Feed(const char* bytes, std::size_t count) {
    std::vector<ReceivedLine> lines;
    for (std::size_t i = 0; i < count; ++i) {
        if (current_.bytes.size() < maxLength_) {
            current_.bytes.push_back(bytes[i]);
        } else {
            current_.overlong = true;
        }
        if (bytes[i] == '\n') {
            lines.push_back(std::move(current_));
            current_ = ReceivedLine{};
        }
    }
    return lines;
}

}  // namespace zr640::sim
