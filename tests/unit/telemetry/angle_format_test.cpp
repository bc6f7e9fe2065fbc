#include "telemetry/angle_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace zr640 {
namespace {

std::string Latitude(double degrees) {
    return FormatAngleDms(degrees, false);
}

std::string Longitude(double degrees) {
    return FormatAngleDms(degrees, true);
}

TEST(FormatAngleDms, ZeroIsNorthAndEastAlsoWhenNegativeZero) {
    EXPECT_EQ(Latitude(0.0), "0\xB0" "00'00\" N");
    EXPECT_EQ(Longitude(0.0), "0\xB0" "00'00\" E");
    EXPECT_EQ(Latitude(-0.0), "0\xB0" "00'00\" N");
    EXPECT_EQ(Longitude(-0.0), "0\xB0" "00'00\" E");
}

TEST(FormatAngleDms, NegativeAnglesCarryTheirSignInTheLetterOnly) {
    EXPECT_EQ(Latitude(-33.5), "33\xB0" "30'00\" S");
    EXPECT_EQ(Longitude(-0.25), "0\xB0" "15'00\" W");
    EXPECT_EQ(Latitude(48.123457), "48\xB0" "07'24\" N");
    EXPECT_EQ(Longitude(179.9), "179\xB0" "54'00\" E");
}

TEST(FormatAngleDms, SecondsRoundHalfUpWithoutCarryIntoTheMinutes) {
    EXPECT_EQ(Latitude(12.999999), "12\xB0" "59'60\" N");
    EXPECT_EQ(Longitude(-11.49999975), "11\xB0" "29'60\" W");
    // 10 degrees 0 minutes 29.5 seconds rounds up, 29.4 seconds rounds down.
    EXPECT_EQ(Latitude(10.0 + 29.5 / 3600.0), "10\xB0" "00'30\" N");
    EXPECT_EQ(Latitude(10.0 + 29.4 / 3600.0), "10\xB0" "00'29\" N");
}

TEST(FormatAngleDms, WholeDegreesBeyondInt32PrintInFull) {
    EXPECT_EQ(Latitude(2147483647.5), "2147483647\xB0" "30'00\" N");
    EXPECT_EQ(Longitude(-2147483648.0), "2147483648\xB0" "00'00\" W");

    // The widest angle a DeviceFloat can give: just under 2^127 radians.
    const double widest = RadiansToDegrees(std::ldexp(1.0, 127));
    char expected[kAngleTextSize];
    std::snprintf(expected, sizeof expected, "%.0f\xB0" "00'00\" E", std::trunc(widest));
    EXPECT_EQ(Longitude(widest), expected);
}

TEST(FormatAngleDms, AnglesNoDeviceFloatCanGiveStayWithinTheBuffer) {
    constexpr double kMax = std::numeric_limits<double>::max();
    EXPECT_EQ(Latitude(kMax), "2e+308\xB0" "00'00\" N");
    EXPECT_EQ(Latitude(-kMax), "2e+308\xB0" "00'00\" S");
    EXPECT_EQ(Latitude(std::numeric_limits<double>::infinity()), "inf\xB0" "00'00\" N");
    EXPECT_EQ(Longitude(std::numeric_limits<double>::quiet_NaN()), "nan\xB0" "00'00\" W");
}

TEST(FormatAngleDms, RadiansToDegreesUsesAQuarterTurnOfAcosZero) {
    EXPECT_DOUBLE_EQ(RadiansToDegrees(-std::acos(-1.0)), -180.0);
}

}  // namespace
}  // namespace zr640
