#pragma once

#include <array>
#include <cstdint>

#include "platform/clock.h"
#include "platform/dialog_controls.h"
#include "platform/list_view.h"
#include "serial/com_port.h"
#include "telemetry/telemetry_frame.h"

namespace zr640 {

inline constexpr int kByteDisplayId = 101;

// What the frame reader keeps from one tick to the next.
struct TelemetryReader {
    std::int32_t FrameCounter = 0;
    FrameBytes FrameBuffer{};
};

// The receive step of one poll tick: takes one byte, shows it, and when it starts a frame
// reads the frame and logs it decoded.
void PollTelemetry(ComPort* port, TelemetryReader& reader, platform::DialogControls& dialog,
                   platform::ListView* log, platform::MonotonicClock& clock);

}  // namespace zr640
