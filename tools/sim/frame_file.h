// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "frame_encoder.h"

namespace zr640::sim {

// A file of raw frames to replay: one frame per line as hexadecimal digits, pairs optionally
// separated by blanks ("24 41 06 37 01 99" or "244106370199"); '#' starts a comment that runs
// to the line end; blank lines are skipped. Frames go out as they stand: no check byte is
// computed and no length is corrected, so damaged frames can be replayed too.
struct FrameFile {
    std::vector<Bytes> frames;
    std::string error;  // "line N: what"; empty when the whole file was read
};

FrameFile ParseFrameFile(std::istream& in);
FrameFile LoadFrameFile(const std::string& path);

}  // namespace zr640::sim
