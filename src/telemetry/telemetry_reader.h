#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/dialog_controls.h"
#include "platform/log_sink.h"
#include "serial/com_port.h"
#include "telemetry/telemetry_frame.h"

namespace zr640 {

inline constexpr int kByteDisplayId = 101;
// A frame whose rest stays away this long is given up; at 4800 baud a whole 255-byte frame
// takes about 0.53 s, and the user interface is held while a frame is read.
inline constexpr std::uint32_t kFrameSilenceLimitMs = 1000;

// What the frame reader keeps from one tick to the next.
struct TelemetryReader {
    std::int32_t FrameCounter = 0;
    FrameBytes FrameBuffer{};
};

// The receive step of one poll tick: takes one byte, shows it, and when it starts a frame
// reads the frame and logs it decoded. A frame that falls silent for kFrameSilenceLimitMs,
// or whose Length is 0, is dropped with a log line saying so.
void PollTelemetry(ComPort* port, TelemetryReader& reader, platform::DialogControls& dialog,
                   platform::LogSink* log, platform::MonotonicClock& clock);

}  // namespace zr640
