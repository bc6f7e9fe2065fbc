// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "instrument.h"

namespace zr640::sim {

// The instrument's memory as a text file, line feed line ends, the fields byte for byte as
// they came (Windows-1252):
//   # zr640-sim memory
//   [waypoints]
//   <field 1>,<field 2>,...,<field 9>      one line per waypoint, in list order
//   [task]
//   <name>,<id>                            one line per route point
std::string FormatStore(const std::vector<Waypoint>& waypoints,
                        const std::vector<RoutePoint>& task);

// Writes the text to a file beside `path` and renames it over `path`, so that a reader never
// sees half a file. False with `error` set when that fails.
bool WriteStoreFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace zr640::sim
