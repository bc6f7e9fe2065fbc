// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetry_source.h"

namespace zr640::sim {

namespace {

constexpr std::uint8_t kOtherRecordType = 1;

bool Every(int n, int frameNumber) { return n > 0 && frameNumber % n == 0; }

}  // namespace

TelemetrySource::TelemetrySource(std::string werknummer, TelemetryFaults faults)
    : flight_(FlightModel(std::move(werknummer))), faults_(faults) {}

TelemetrySource::TelemetrySource(std::vector<Bytes> replayFrames, bool loop,
                                 TelemetryFaults faults)
    : replayFrames_(std::move(replayFrames)), loop_(loop), faults_(faults) {}

std::optional<TelemetryBurst> TelemetrySource::Next(double elapsedSeconds) {
    TelemetryBurst burst;
    if (flight_) {
        burst.bytes = NextBuiltInFrame(elapsedSeconds);
    } else {
        if (replayFrames_.empty()) return std::nullopt;
        if (replayIndex_ == replayFrames_.size()) {
            if (!loop_) return std::nullopt;
            replayIndex_ = 0;
        }
        burst.bytes = replayFrames_[replayIndex_++];
    }
    burst.frameNumber = ++framesSent_;
    burst.description =
        burst.bytes.size() > 4 ? "type " + std::to_string(burst.bytes[4]) : "header only";
    ApplyFaults(burst);
    return burst;
}

Bytes TelemetrySource::NextBuiltInFrame(double elapsedSeconds) {
    flight_->Advance(elapsedSeconds);
    const int frameNumber = framesSent_ + 1;
    Bytes frame;
    if (frameNumber % 10 == 0) {
        frame = EncodeGenericFrame(kOtherRecordType,
                                   {static_cast<std::uint8_t>(frameNumber & 0xFF)});
    } else if (frameNumber % 4 == 0) {
        frame = EncodeDeviceStatusFrame(flight_->DeviceStatus());
    } else {
        frame = EncodeFlightDataFrame(flight_->FlightData());
    }
    SealFrame(frame);
    return frame;
}

void TelemetrySource::ApplyFaults(TelemetryBurst& burst) {
    if (Every(faults_.zeroLengthEvery, burst.frameNumber) && burst.bytes.size() > 2) {
        burst.bytes[2] = 0;
        burst.description += " with Length 0";
    }
    if (Every(faults_.cutFrameEvery, burst.frameNumber) && burst.bytes.size() > 1) {
        burst.bytes.resize(burst.bytes.size() / 2);
        burst.description += " cut to " + std::to_string(burst.bytes.size()) + " bytes";
    }
    if (faults_.garbage) {
        const Bytes noise = Garbage();
        burst.bytes.insert(burst.bytes.end(), noise.begin(), noise.end());
        burst.description += " and " + std::to_string(noise.size()) + " bytes of garbage";
    }
}

Bytes TelemetrySource::Garbage() {
    // A fixed generator: the same run gives the same garbage, which tests can rely on.
    auto next = [this] {
        noise_ ^= noise_ << 13;
        noise_ ^= noise_ >> 17;
        noise_ ^= noise_ << 5;
        return noise_;
    };
    Bytes noise(1 + next() % 7);
    for (auto& byte : noise) {
        do {
            byte = static_cast<std::uint8_t>(next() >> 24);
        } while (byte == kFrameStart);
    }
    return noise;
}

}  // namespace zr640::sim
