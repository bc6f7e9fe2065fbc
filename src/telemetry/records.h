// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zr640 {

// The log line of a type-0 frame: flight time, heights, varios, speeds, track, position and
// difference angle, read from the 256-byte frame buffer at fixed offsets (past the frame's
// end the buffer holds zeros). Ends in a line feed.
std::string FormatFlightDataRecord(const std::uint8_t* frameBuffer, std::int32_t frameCounter);

// The log line of a type-2 frame: works number, switch and potentiometer settings and wind.
// Ends in a line feed; the works number is copied as it is, so it may hold any byte but 0.
std::string FormatDeviceStatusRecord(const std::uint8_t* frameBuffer,
                                     std::int32_t frameCounter);

}  // namespace zr640
