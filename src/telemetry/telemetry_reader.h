// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/dialog_controls.h"
#include "platform/log_sink.h"
#include "serial/com_port.h"
#include "protocol/telemetry_frame.h"

namespace zr640 {


// The longest silence inside a frame before it is given up: far shorter than the time
// between two frames, so that a frame broken off on the line is never completed with the
// next frame's bytes, and still long enough for USB adapters that deliver in bursts.
inline constexpr std::uint32_t kMinFrameSilenceMs = 100;
// 20 character times of 10 bits each, when that is longer than kMinFrameSilenceMs.
std::uint32_t FrameSilenceLimitForBaud(std::int32_t baudRate);

// The most bytes one tick takes while looking for the next frame's dollar sign: a full
// input buffer of the tty layer, far more than the line brings in a tick, so the log keeps
// up with the line, yet a flood cannot hold the user interface.
inline constexpr int kMaxBytesBeforeFrame = 4096;

// What the frame reader keeps from one tick to the next.
struct TelemetryReader {
    std::int32_t FrameCounter = 0;
    FrameBytes FrameBuffer{};
    // Set from the configured baud rate by the owner.
    std::uint32_t FrameSilenceLimitMs = kMinFrameSilenceMs;
};

// The receive step of one poll tick: takes every waiting byte up to and including the next
// dollar sign (at most kMaxBytesBeforeFrame), shows the last one, and when a frame has begun
// reads the frame and logs it decoded. A frame that falls silent for FrameSilenceLimitMs,
// or whose Length is 0, is dropped with a log line saying so. Once the rest of a frame has
// begun to arrive, the step lets the time pass that the rest needs on the line (at most the
// silence limit) before it reads again, rather than waking for every byte.
void PollTelemetry(ComPort* port, TelemetryReader& reader, platform::DialogControls& dialog,
                   platform::LogSink* log, platform::MonotonicClock& clock);

// The log line of a complete frame, numbered `frameCounter`: the record's line for types 0
// and 2, the generic line for the others; up to a zero byte, as the log would show it.
std::string FrameLogLine(const FrameBytes& frame, std::int32_t frameCounter);

}  // namespace zr640
