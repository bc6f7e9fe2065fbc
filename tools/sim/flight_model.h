// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "frame_encoder.h"

namespace zr640::sim {

// A cross-country flight good enough to look at: the glider cruises on a leg, meets a
// thermal, circles up in it, and goes on, drifting with a steady south-westerly wind. Time
// only moves through Advance, so the same steps give the same records.
class FlightModel {
public:
    explicit FlightModel(std::string werknummer);

    void Advance(double seconds);

    FlightDataValues FlightData() const;
    DeviceStatusValues DeviceStatus() const;

    double LatitudeDegrees() const { return latitudeDeg_; }
    double LongitudeDegrees() const { return longitudeDeg_; }
    double FlightSeconds() const { return flightSeconds_; }

private:
    void Step(double seconds);
    bool Circling() const;
    double TrueAirspeedKmh() const;
    double VarioMs() const;
    void GroundVector(double& northKmh, double& eastKmh) const;

    std::string werknummer_;
    double flightSeconds_;
    double phaseSeconds_ = 0.0;
    double headingDeg_;
    double latitudeDeg_;
    double longitudeDeg_;
    double qfeHeightM_;
    double distanceM_ = 0.0;
    double meanVarioMs_ = 0.0;
};

}  // namespace zr640::sim
