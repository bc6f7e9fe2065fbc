// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/route_commands.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/event_log.h"
#include "platform/message_box.h"

namespace zr640 {
namespace {

constexpr const char* kRouteLinePrefix = "Streckenpunkt ";

bool Readable(platform::ProfileFile& profile, const AppConfig& config) {
    const char* path = config.ConfigFilePath.c_str();
    return profile.Exists(path) && profile.Readable(path);
}

}  // namespace

void LogRoute(const AppConfig& config, platform::LogSink* log) {
    // The configuration never loads more than the table holds; the bound keeps a hand-made
    // AppConfig from reading past it.
    const int routeCount = std::clamp(config.RouteCount, 0, kRouteSlots);
    for (int i = 1; i <= routeCount; ++i) {
        const WaypointFields& point = config.Route.slot[static_cast<std::size_t>(i - 1)];
        LogPrintf(log, "%s%d: %s,%s", kRouteLinePrefix, i, point.Field(1), point.Field(2));
    }
    LogPrintf(log, " \n \n");
}

bool IsRouteLine(const std::string& entry) {
    if (!entry.starts_with(kRouteLinePrefix)) {
        return false;
    }
    const std::size_t digits = std::strlen(kRouteLinePrefix);
    const std::size_t end = entry.find_first_not_of("0123456789", digits);
    return end != std::string::npos && end > digits && entry[end] == ':';
}

bool RereadRoute(platform::ProfileFile& profile, AppConfig& config, platform::LogSink* log,
                 std::vector<std::string>& values) {
    if (!Readable(profile, config)) {
        return false;
    }
    values = ReadRouteValues(profile, config.ConfigFilePath.c_str());
    AppConfig reread = config;
    SetRoute(values, reread);
    if (!SameRoute(reread, config)) {
        config = std::move(reread);
        LogRoute(config, log);
    }
    return true;
}

void RefreshRouteForTask(platform::ProfileFile& profile, AppConfig& config,
                         platform::LogSink* log) {
    std::vector<std::string> values;
    if (!RereadRoute(profile, config, log, values)) {
        LogPrintf(log, "Die Ini-Datei %s l\xE4sst sich nicht lesen; die Strecke bleibt, "
                       "wie sie zuletzt gelesen wurde.",
                  config.ConfigFilePath.c_str());
    }
}

bool AdoptRoute(platform::ProfileFile& profile, AppConfig& config,
                const std::vector<RoutePoint>& points, platform::LogSink* log) {
    std::vector<std::string> values;
    for (const RoutePoint& point : points) {
        values.push_back(RouteValue(point));
    }
    std::string error;
    if (!WriteRoute(profile, config.ConfigFilePath.c_str(), values, error)) {
        ShowMessage(platform::kStyleStopIcon, 1, "Fehler",
                    "Die Strecke l\xE4sst sich nicht in\n%.300s\nschreiben:\n%.300s\n\n"
                    "Die Ini-Datei und die Strecke bleiben, wie sie waren.",
                    config.ConfigFilePath.c_str(), error.c_str());
        return false;
    }
    SetRoute(values, config);
    LogRoute(config, log);
    return true;
}

bool ReadRouteForChoice(platform::ProfileFile& profile, AppConfig& config,
                        platform::LogSink* log, RouteChoice& choice) {
    // The dialog writes [Strecke]: it starts from what the file holds now.
    if (!RereadRoute(profile, config, log, choice.values)) {
        ShowMessage(platform::kStyleStopIcon, 1, "Fehler",
                    "Die Ini-Datei\n%.700s\nl\xE4sst sich nicht lesen.",
                    config.ConfigFilePath.c_str());
        return false;
    }
    return true;
}

void ReadRecordsForChoice(RouteChoice& choice, const platform::OperationEnvironment& operation) {
    try {
        choice.read = LoadRouteRecords(choice.path, choice.config, choice.chooser, &operation);
    } catch (const std::bad_alloc&) {
        choice.read = RecordsRead::TooLarge;
    }
}

void OpenRouteDialog(RouteChoice& choice, platform::ProfileFile& profile, RouteDialog& dialog,
                     AppConfig& config, platform::LogSink* log) {
    if (choice.read == RecordsRead::CannotOpen || choice.read == RecordsRead::TooLarge) {
        ShowMessage(platform::kStyleStopIcon, 1, "Fehler",
                    choice.read == RecordsRead::CannotOpen
                        ? "Die Wendepunktdatei\n%.700s\nl\xE4sst sich nicht \xF6" "ffnen."
                        : "Die Wendepunktdatei\n%.700s\nhat mehr S\xE4tze, als der Speicher fasst.",
                    choice.path.c_str());
    }
    if (choice.read != RecordsRead::Read) {
        return;
    }
    std::vector<RoutePoint> points;
    for (const std::string& value : choice.values) {
        points.push_back(RoutePointOf(value));
    }
    RouteChooser& chooser = choice.chooser;
    chooser.SetRoute(std::move(points));
    dialog.Run(chooser, [&] { return AdoptRoute(profile, config, chooser.Route(), log); });
}

}  // namespace zr640
