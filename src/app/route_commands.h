// SPDX-License-Identifier: GPL-3.0-or-later
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
bool IsRouteLine(const std::string& entry);

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

// "Strecke wählen", in three steps: the route as zr640.ini holds it now, read on the dialog's
// thread; the records of the chosen waypoint file, read by a job, as a long file would hold
// the dialog; then the route dialog over both, on the dialog's thread again.
struct RouteChoice {
    RouteChoice(const AppConfig& dialogConfig, std::string waypointFilePath)
        : config(dialogConfig), path(std::move(waypointFilePath)) {}
    RouteChoice(const RouteChoice&) = delete;
    RouteChoice& operator=(const RouteChoice&) = delete;

    AppConfig config;  // the job's own copy, for the lengths the names are shown cut to
    std::string path;
    std::vector<std::string> values;  // of [Strecke]
    RouteChooser chooser{config};
    RecordsRead read = RecordsRead::Cancelled;
};

// The first step: false, with a box, when zr640.ini cannot be read. A route in the file that
// differs from the one in memory replaces it and is logged, as for "Strecke setzen".
bool ReadRouteForChoice(platform::ProfileFile& profile, AppConfig& config,
                        platform::LogSink* log, RouteChoice& choice);

// The job's step.
void ReadRecordsForChoice(RouteChoice& choice, const platform::OperationEnvironment& operation);

// The last step: the dialog, or a box when the waypoint file could not be read; nothing when
// the user cancelled the reading.
void OpenRouteDialog(RouteChoice& choice, platform::ProfileFile& profile, RouteDialog& dialog,
                     AppConfig& config, platform::LogSink* log);

}  // namespace zr640
