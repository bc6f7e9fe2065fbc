// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/waypoint_file_reader.h"

namespace zr640 {

WaypointFileReader::~WaypointFileReader() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool WaypointFileReader::Open(const std::string& path) {
    // Binary mode: line ends are judged here, byte for byte, on every platform.
    file_ = std::fopen(path.c_str(), "rb");
    return file_ != nullptr;
}

bool WaypointFileReader::Rewind() {
    blockLength_ = 0;
    blockPos_ = 0;
    length_ = 0;
    lineNumber_ = 0;
    return std::fseek(file_, 0, SEEK_SET) == 0;
}

int WaypointFileReader::NextByte() {
    if (blockPos_ == blockLength_) {
        blockLength_ = std::fread(block_.data(), 1, block_.size(), file_);
        blockPos_ = 0;
        if (blockLength_ == 0) {
            return EOF;
        }
    }
    return static_cast<unsigned char>(block_[blockPos_++]);
}

WaypointLineStatus WaypointFileReader::ReadPhysicalLine() {
    length_ = 0;
    bool sawAnything = false;
    bool cutAtCarriageReturn = false;
    bool textAfterCarriageReturn = false;
    bool zeroByte = false;
    bool tooLong = false;
    for (;;) {
        const int byte = NextByte();
        if (byte == EOF) {
            if (std::ferror(file_) != 0) {
                ++lineNumber_;
                return WaypointLineStatus::ReadError;
            }
            break;
        }
        sawAnything = true;
        if (byte == '\n') {
            break;
        }
        if (cutAtCarriageReturn) {
            textAfterCarriageReturn = textAfterCarriageReturn || byte != '\r';
        } else if (byte == '\r') {
            cutAtCarriageReturn = true;
        } else if (byte == 0) {
            zeroByte = true;
        } else if (length_ < kMaxWaypointLineLength) {
            line_[static_cast<std::size_t>(length_++)] = static_cast<char>(byte);
        } else {
            tooLong = true;
        }
    }
    line_[static_cast<std::size_t>(length_)] = '\0';
    if (!sawAnything) {
        return WaypointLineStatus::End;
    }
    ++lineNumber_;
    if (zeroByte) {
        return WaypointLineStatus::ZeroByte;
    }
    if (tooLong) {
        return WaypointLineStatus::TooLong;
    }
    if (textAfterCarriageReturn) {
        return WaypointLineStatus::TextAfterCarriageReturn;
    }
    return WaypointLineStatus::Line;
}

WaypointLineStatus WaypointFileReader::Next() {
    if (file_ == nullptr) {
        return WaypointLineStatus::ReadError;
    }
    for (;;) {
        const WaypointLineStatus status = ReadPhysicalLine();
        if (status != WaypointLineStatus::Line || length_ > 0) {
            return status;
        }
    }
}

}  // namespace zr640
