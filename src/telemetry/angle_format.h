// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zr640 {

inline constexpr int kAngleTextSize = 256;

// The instrument's angles arrive in radians; degrees = radians * 90 / acos(0).
double RadiansToDegrees(double radians);

// Degrees, minutes, seconds and hemisphere letter of a latitude (longitude false: N/S) or a
// longitude (true: E/W), as "%d\xB0%02d'%02d\" %c". The text lives in one static buffer of
// kAngleTextSize bytes and is overwritten by the next call.
const char* FormatAngleDms(double degrees, bool longitude);

}  // namespace zr640
