// SPDX-License-Identifier: GPL-3.0-or-later
#include "flight_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace zr640::sim {

namespace {

// Launched from Hetzleser Berg half an hour ago, heading north-east.
constexpr double kStartLatitudeDeg = 49.6431;
constexpr double kStartLongitudeDeg = 11.1653;
constexpr double kStartFlightSeconds = 1800.0;
constexpr double kStartHeadingDeg = 55.0;
constexpr double kFieldElevationM = 520.0;
constexpr double kStartQfeHeightM = 1150.0;

constexpr double kCruiseSeconds = 90.0;
constexpr double kCircleSeconds = 60.0;
constexpr double kTurnRateDegPerS = 18.0;  // one circle in 20 s
constexpr double kCruiseTasKmh = 125.0;
constexpr double kCircleTasKmh = 92.0;
constexpr double kClimbMs = 2.3;
constexpr double kCruiseSinkMs = -1.4;
constexpr double kPolarSinkCruiseMs = -0.9;
constexpr double kPolarSinkCircleMs = -0.7;

constexpr double kWindFromDeg = 225.0;
constexpr double kWindKmh = 18.0;
constexpr double kMetresPerDegree = 111195.0;
constexpr double kFinalGlideRatio = 40.0;
constexpr double kGoalDistanceM = 60000.0;
constexpr double kLoggerFixSeconds = 4.0;

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

double NormalisedDegrees(double degrees) {
    double d = std::fmod(degrees, 360.0);
    return d < 0 ? d + 360.0 : d;
}

// Rounds to the nearest integer and keeps it inside the range of the field.
template <typename Int>
Int Raw(double value) {
    const double lo = static_cast<double>(std::numeric_limits<Int>::min());
    const double hi = static_cast<double>(std::numeric_limits<Int>::max());
    return static_cast<Int>(std::clamp(std::round(value), lo, hi));
}

}  // namespace

FlightModel::FlightModel(std::string werknummer)
    : werknummer_(std::move(werknummer)),
      flightSeconds_(kStartFlightSeconds),
      headingDeg_(kStartHeadingDeg),
      latitudeDeg_(kStartLatitudeDeg),
      longitudeDeg_(kStartLongitudeDeg),
      qfeHeightM_(kStartQfeHeightM) {}

void FlightModel::Advance(double seconds) {
    // Small steps keep the circles round when frames are far apart.
    while (seconds > 0.0) {
        const double step = std::min(seconds, 0.5);
        Step(step);
        seconds -= step;
    }
}

void FlightModel::Step(double seconds) {
    double north = 0.0;
    double east = 0.0;
    GroundVector(north, east);
    const double northM = north / 3.6 * seconds;
    const double eastM = east / 3.6 * seconds;
    latitudeDeg_ += northM / kMetresPerDegree;
    longitudeDeg_ += eastM / (kMetresPerDegree * std::cos(Radians(latitudeDeg_)));
    distanceM_ += std::hypot(northM, eastM);
    qfeHeightM_ = std::max(qfeHeightM_ + VarioMs() * seconds, 150.0);
    // The instrument averages the vario over about twenty seconds.
    meanVarioMs_ += (VarioMs() - meanVarioMs_) * std::min(1.0, seconds / 20.0);
    if (Circling()) headingDeg_ = NormalisedDegrees(headingDeg_ + kTurnRateDegPerS * seconds);
    flightSeconds_ += seconds;
    phaseSeconds_ = std::fmod(phaseSeconds_ + seconds, kCruiseSeconds + kCircleSeconds);
    if (!Circling() && phaseSeconds_ < seconds) headingDeg_ = kStartHeadingDeg;
}

bool FlightModel::Circling() const { return phaseSeconds_ >= kCruiseSeconds; }

double FlightModel::TrueAirspeedKmh() const {
    return Circling() ? kCircleTasKmh : kCruiseTasKmh;
}

double FlightModel::VarioMs() const {
    // The thermal builds up over the first circle rather than switching on.
    if (!Circling()) return kCruiseSinkMs + 0.3 * std::sin(flightSeconds_ / 7.0);
    const double inThermal = phaseSeconds_ - kCruiseSeconds;
    return kClimbMs * std::min(1.0, inThermal / 20.0) + 0.4 * std::sin(flightSeconds_ / 3.0);
}

void FlightModel::GroundVector(double& northKmh, double& eastKmh) const {
    const double windToDeg = kWindFromDeg + 180.0;
    northKmh = TrueAirspeedKmh() * std::cos(Radians(headingDeg_)) +
               kWindKmh * std::cos(Radians(windToDeg));
    eastKmh = TrueAirspeedKmh() * std::sin(Radians(headingDeg_)) +
              kWindKmh * std::sin(Radians(windToDeg));
}

FlightDataValues FlightModel::FlightData() const {
    double north = 0.0;
    double east = 0.0;
    GroundVector(north, east);
    const double trackDeg = NormalisedDegrees(std::atan2(east, north) * 180.0 / std::numbers::pi);
    const double polarSink = Circling() ? kPolarSinkCircleMs : kPolarSinkCruiseMs;
    const double remainingM = std::max(kGoalDistanceM - distanceM_, 0.0);
    double offCourseDeg = NormalisedDegrees(trackDeg - kStartHeadingDeg);
    if (offCourseDeg > 180.0) offCourseDeg -= 360.0;

    FlightDataValues v;
    v.flugZeitSek = Raw<std::uint16_t>(flightSeconds_);
    v.aktivDistanz = Raw<std::uint16_t>(distanceM_ / 10.0);
    v.sdtHoehe = Raw<std::uint16_t>(qfeHeightM_ + kFieldElevationM);
    v.qfeHoehe = Raw<std::uint16_t>(qfeHeightM_);
    v.loggerFixZaehler = Raw<std::uint16_t>(std::floor(flightSeconds_ / kLoggerFixSeconds));
    v.deltaV = Raw<std::int16_t>(Circling() ? -8.0 : 140.0 - TrueAirspeedKmh());
    v.gleitPfadDifferenz = Raw<std::int16_t>(qfeHeightM_ - remainingM / kFinalGlideRatio);
    v.varioMittelwert = Raw<std::int16_t>(meanVarioMs_ * 10.0);
    v.nettovario = Raw<std::int16_t>((VarioMs() - polarSink) * 10.0);
    v.vario = Raw<std::int16_t>(VarioMs() * 10.0);
    v.tas = Raw<std::uint16_t>(TrueAirspeedKmh() * 10.0);
    v.groundspeed = Raw<std::uint16_t>(std::hypot(north, east) * 10.0);
    v.track = Raw<std::int16_t>(trackDeg * 10.0);
    v.breiteRad = DegreesToDeviceRadians(latitudeDeg_);
    v.laengeRad = DegreesToDeviceRadians(longitudeDeg_);
    v.diffWinkel = Raw<std::int16_t>(offCourseDeg);
    return v;
}

DeviceStatusValues FlightModel::DeviceStatus() const {
    const double windToDeg = kWindFromDeg + 180.0;
    DeviceStatusValues v;
    v.werknummer = werknummer_;
    v.schalterstellung = Circling() ? 1 : 3;
    v.menu = 0x1F;
    v.mcPoti = 20;
    v.windPoti = -2;
    // Head wind counts negative along the current heading.
    v.windKomponente =
        Raw<std::int16_t>(kWindKmh * std::cos(Radians(windToDeg - headingDeg_)) * 10.0);
    v.windEmpfehlung = Raw<std::int16_t>(12.0 * 10.0);
    v.windVektorBetrag = Raw<std::int16_t>(kWindKmh * 10.0);
    v.windVektorBogenRad = DegreesToDeviceRadians(kWindFromDeg);
    return v;
}

}  // namespace zr640::sim
