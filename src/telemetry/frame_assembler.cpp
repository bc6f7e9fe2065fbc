// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetry/frame_assembler.h"

namespace zr640 {

FrameAssembler::FrameAssembler(FrameBytes& buffer) : buffer_(buffer) {
    buffer_.fill(0);
    buffer_[0] = kFrameStart;
}

FrameProgress FrameAssembler::Add(std::uint8_t byte) {
    if (progress_ != FrameProgress::Collecting) {
        return progress_;
    }
    buffer_[received_++] = byte;
    if (received_ == kFrameHeaderBytes) {
        const int length = buffer_[kLengthOffset];
        if (length == 0) {
            progress_ = FrameProgress::ZeroLength;
            return progress_;
        }
        // Lengths 1 to 3 still leave the three header bytes that announced them.
        expected_ = length > kFrameHeaderBytes ? length : kFrameHeaderBytes;
    }
    if (received_ >= expected_) {
        progress_ = FrameProgress::Complete;
    }
    return progress_;
}

}  // namespace zr640
