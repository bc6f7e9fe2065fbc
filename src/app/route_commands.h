#pragma once

#include <string>
#include <vector>

#include "app/route_dialog.h"
#include "config/app_config.h"
#include "config/route.h"
#include "platform/log_sink.h"
#include "platform/profile_file.h"

namespace zr640 {

// The route in memory is `config.Route` and `config.RouteCount` of the dialog's own copy of
// the configuration, which only the dialog's thread writes; a transfer takes a copy of it.

// Lists the route as at start-up: "Streckenpunkt n: Name,Kennung" for each point, then the
// section break.
void LogRoute(const AppConfig& config, platform::LogSink* log);

// Whether a line of the log is one of those: a double-click on it opens the route dialog.
bool IsRouteLine(const char* entry);

// Reads [Strecke] of zr640.ini again, with the lengths of the start, into `values`. A route
// that sends other points than the one in memory replaces it and is logged as at start-up.
// False when the file cannot be read: the route in memory stays.
bool RereadRoute(platform::ProfileFile& profile, AppConfig& config, platform::LogSink* log,
                 std::vector<std::string>& values);

// "Strecke setzen" before its task goes out: an edited zr640.ini is never ignored, and the
// log shows what is sent.
void RefreshRouteForTask(platform::ProfileFile& profile, AppConfig& config,
                         platform::LogSink* log);

// OK of the route dialog: writes the points into [Strecke], replaces the route in memory and
// logs it. When zr640.ini cannot be written, a box says why, and neither file nor memory change.
bool AdoptRoute(platform::ProfileFile& profile, AppConfig& config,
                const std::vector<RoutePoint>& points, platform::LogSink* log);

// "Strecke wählen": the route dialog over the records of the chosen waypoint file and the
// route as zr640.ini holds it. A box instead when the waypoint file or zr640.ini cannot be
// read.
void ChooseRoute(const std::string& waypointFilePath, platform::ProfileFile& profile,
                 RouteDialog& dialog, AppConfig& config, platform::LogSink* log);

}  // namespace zr640
