// SPDX-License-Identifier: GPL-3.0-or-later
#include "telemetry/angle_format.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "telemetry/number_text.h"

namespace zr640 {

namespace {

char HemisphereLetter(double degrees, bool longitude) {
    // A negative zero compares equal to 0 and so counts as north or east.
    if (degrees >= 0.0) {
        return longitude ? 'E' : 'N';
    }
    return longitude ? 'W' : 'S';
}

}  // namespace

double RadiansToDegrees(double radians) {
    return radians * 90.0 / std::acos(0.0);
}

const char* FormatAngleDms(double degrees, bool longitude) {
    static char text[kAngleTextSize];

    const double magnitude = std::fabs(degrees);
    const double wholeDegrees = std::trunc(magnitude);
    int minutes = 0;
    int seconds = 0;
    if (std::isfinite(magnitude)) {
        const double fractionalMinutes = (magnitude - wholeDegrees) * 60.0;
        const double wholeMinutes = std::trunc(fractionalMinutes);
        const double fractionalSeconds = (fractionalMinutes - wholeMinutes) * 60.0;
        minutes = static_cast<int>(wholeMinutes);
        // Rounded half up with no carry into the minutes: 59.5 seconds and more show as 60.
        seconds = static_cast<int>(std::trunc(fractionalSeconds + 0.5));
    }

    // Whole degrees as digits rather than through int, so that angles beyond 2^31 degrees
    // (DeviceFloat reaches about 1e40) print in full instead of overflowing.
    std::string degreeDigits;
    AppendFixed(degreeDigits, wholeDegrees, 0);
    std::snprintf(text, sizeof text, "%s\xB0%02d'%02d\" %c", degreeDigits.c_str(), minutes,
                  seconds, HemisphereLetter(degrees, longitude));
    return text;
}

}  // namespace zr640
