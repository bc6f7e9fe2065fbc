// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_file.h"

#include <fstream>

namespace zr640::sim {

namespace {

constexpr std::size_t kMaxFrameBytes = 255;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Empty `error` and the bytes of the line (possibly none), or the reason it is not a frame.
Bytes ParseFrameLine(const std::string& line, std::string& error) {
    Bytes frame;
    std::size_t i = 0;
    while (i < line.size() && line[i] != '#') {
        if (IsBlank(line[i])) {
            ++i;
            continue;
        }
        const int high = HexValue(line[i]);
        const int low = i + 1 < line.size() ? HexValue(line[i + 1]) : -1;
        if (high < 0 || low < 0) {
            error = "not a pair of hexadecimal digits at column " + std::to_string(i + 1);
            return {};
        }
        if (frame.size() == kMaxFrameBytes) {
            error = "a frame holds at most 255 bytes";
            return {};
        }
        frame.push_back(static_cast<std::uint8_t>(high * 16 + low));
        i += 2;
    }
    return frame;
}

}  // namespace

FrameFile ParseFrameFile(std::istream& in) {
    FrameFile file;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::string error;
        Bytes frame = ParseFrameLine(line, error);
        if (!error.empty()) {
            file.error = "line " + std::to_string(number) + ": " + error;
            file.frames.clear();
            return file;
        }
        if (!frame.empty()) file.frames.push_back(std::move(frame));
    }
    if (file.frames.empty()) file.error = "no frame in the file";
    return file;
}

FrameFile LoadFrameFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        FrameFile file;
        file.error = "cannot be opened";
        return file;
    }
    return ParseFrameFile(in);
}

}  // namespace zr640::sim
