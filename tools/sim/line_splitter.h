// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zr640::sim {

struct ReceivedLine {
    std::string bytes;      // up to and including the line feed
    bool overlong = false;  // longer than the limit: only its first bytes are kept
};

// Collects the bytes from the tool into lines that a line feed ends. A line longer than
// `maxLength` is not kept whole: it is reported once its line feed comes, marked overlong,
// with its first `maxLength` bytes.
class LineSplitter {
public:
    explicit LineSplitter(std::size_t maxLength) : maxLength_(maxLength) {}

    std::vector<ReceivedLine> Feed(const char* bytes, std::size_t count);
    // Bytes of a line not yet ended.
    std::size_t Pending() const { return current_.bytes.size(); }

private:
    std::size_t maxLength_;
    ReceivedLine current_;
};

}  // namespace zr640::sim
