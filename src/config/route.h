// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "config/app_config.h"
#include "platform/profile_file.h"

namespace zr640 {

inline constexpr const char* kRouteSection = "Strecke";
// A key's value holds at most this many characters; the profile functions read no more.
inline constexpr std::size_t kMaxRouteValueLength = kFieldSize - 1;

// One route point as [Strecke] holds it: fields 1 and 2 trimmed but not cut. The cut to
// MaxLaengeName1/MaxLaengeName2 is made when the key is read, so the file keeps whole names.
struct RoutePoint {
    std::string name;
    std::string code;
    bool operator==(const RoutePoint&) const = default;
};

// The values of StreckenPunkt1 to StreckenPunkt4 that are not empty, in key order.
std::vector<std::string> ReadRouteValues(platform::ProfileFile& profile, const char* path);

// The route table of those values, each parsed like a line of a waypoint file with the
// lengths of `config`: what the task sends and the log lists. Values beyond four are ignored.
void SetRoute(const std::vector<std::string>& values, AppConfig& config);

// Whether two configurations send the same task: as many points, with the same fields 1 and 2.
bool SameRoute(const AppConfig& a, const AppConfig& b);

// Fields 1 and 2 of a key's value, trimmed, not cut.
RoutePoint RoutePointOf(const std::string& value);
// "Name,Kennung": what a point's key holds.
std::string RouteValue(const RoutePoint& point);
// The point as the task would send it once its key is read: fields cut and trimmed.
RoutePoint SentPoint(const RoutePoint& point, const AppConfig& config);

// Writes StreckenPunkt1..N with the values and removes the keys above N, up to
// StreckenPunkt4. Either all of it is written, or, with the system's reason in `error`, every
// key that was changed is put back as it was.
bool WriteRoute(platform::ProfileFile& profile, const char* path,
                const std::vector<std::string>& values, std::string& error);

}  // namespace zr640
