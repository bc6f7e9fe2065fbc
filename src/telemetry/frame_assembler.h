// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "protocol/telemetry_frame.h"

namespace zr640 {

enum class FrameProgress {
    Collecting,  // more bytes are due
    Complete,    // the frame holds its Length bytes (at least the three header bytes)
    ZeroLength,  // Length 0 announces no end; the frame is to be dropped
};

// Cuts one telemetry frame out of the byte stream into the frame buffer. Begun on a dollar
// sign, it stores every further byte as it is (0xFF and '$' included) until the frame
// holds the Length bytes its header announces. Length is one byte, so the frame never
// reaches index 255, which stays zero.
class FrameAssembler {
public:
    // Clears the buffer and stores the dollar sign.
    explicit FrameAssembler(FrameBytes& buffer);

    // Stores the next byte of the frame; ignored once the frame is no longer collecting.
    FrameProgress Add(std::uint8_t byte);

    FrameProgress Progress() const { return progress_; }
    int Received() const { return received_; }
    // The bytes the frame will hold: the header until Length has come, then Length
    // (the header at least).
    int Expected() const { return expected_; }

private:
    FrameBytes& buffer_;
    int received_ = 1;
    int expected_ = kFrameHeaderBytes;
    FrameProgress progress_ = FrameProgress::Collecting;
};

}  // namespace zr640
