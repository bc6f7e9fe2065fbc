// SPDX-License-Identifier: GPL-3.0-or-later
#include "traffic_log.h"

#include <cerrno>
#include <cstring>

namespace zr640::sim {

std::string HexEscaped(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\') {
            text += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            text += "\\x";
            text += kDigits[byte >> 4];
            text += kDigits[byte & 0xF];
        }
    }
    return text;
}

TrafficLog::~TrafficLog() {
    if (file_ != nullptr) std::fclose(file_);
}

bool TrafficLog::Open(const std::string& path, bool toStandardError, std::string& error) {
    toStandardError_ = toStandardError;
    if (path.empty()) return true;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void TrafficLog::Frame(int number, const std::string& description, std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!hex.empty()) hex += ' ';
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0xF];
    }
    Write("frame " + std::to_string(number) + " " + description + ": " + hex);
}

void TrafficLog::Write(const std::string& line) {
    // Flushed line by line: tests read the log while the simulator runs.
    if (file_ != nullptr) {
        std::fprintf(file_, "%s\n", line.c_str());
        std::fflush(file_);
    }
    if (toStandardError_) std::fprintf(stderr, "zr640-sim: %s\n", line.c_str());
}

}  // namespace zr640::sim
