// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flight_model.h"
#include "frame_encoder.h"

namespace zr640::sim {

// Damage done to telemetry on demand, counted in frames from 1.
struct TelemetryFaults {
    bool garbage = false;     // a few bytes (never '$') after every frame
    int cutFrameEvery = 0;    // every Nth frame stops after its first half
    int zeroLengthEvery = 0;  // every Nth frame carries Length 0 (its bytes still follow)
};

// What goes on the line for one telemetry tick.
struct TelemetryBurst {
    Bytes bytes;
    int frameNumber = 0;
    std::string description;  // for the traffic log: "type 0", "type 2 cut to 12 bytes", ...
};

// The frames of one run: the built-in flight (flight data, device status every fourth frame,
// a frame of type 1 every tenth) or the frames of a file, with the faults applied.
class TelemetrySource {
public:
    TelemetrySource(std::string werknummer, TelemetryFaults faults);
    TelemetrySource(std::vector<Bytes> replayFrames, bool loop, TelemetryFaults faults);

    // The next burst, the flight having moved on by `elapsedSeconds`; nothing once a replay
    // that does not loop has sent its last frame.
    std::optional<TelemetryBurst> Next(double elapsedSeconds);
    // True once a replay that does not loop has handed out its last frame.
    bool Exhausted() const { return !flight_ && !loop_ && replayIndex_ == replayFrames_.size(); }

private:
    Bytes NextBuiltInFrame(double elapsedSeconds);
    void ApplyFaults(TelemetryBurst& burst);
    Bytes Garbage();

    std::optional<FlightModel> flight_;
    std::vector<Bytes> replayFrames_;
    bool loop_ = true;
    std::size_t replayIndex_ = 0;
    TelemetryFaults faults_;
    int framesSent_ = 0;
    std::uint32_t noise_ = 0x2545F491U;
};

}  // namespace zr640::sim
