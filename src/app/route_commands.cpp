#include "app/route_commands.h"

#include <algorithm>
#include <cstring>

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
        LogPrintf(log, "Streckenpunkt %d: %s,%s", i, point.Field(1), point.Field(2));
    }
    LogPrintf(log, " \n \n");
}

bool IsRouteLine(const char* entry) {
    const std::size_t prefix = std::strlen(kRouteLinePrefix);
    if (std::strncmp(entry, kRouteLinePrefix, prefix) != 0) {
        return false;
    }
    const char* digits = entry + prefix;
    const char* end = digits;
    while (*end >= '0' && *end <= '9') {
        ++end;
    }
    return end > digits && *end == ':';
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
        SetRoute(values, config);
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

void ChooseRoute(const std::string& waypointFilePath, platform::ProfileFile& profile,
                 RouteDialog& dialog, AppConfig& config, platform::LogSink* log) {
    // The dialog writes [Strecke]: it starts from what the file holds now.
    std::vector<std::string> values;
    if (!RereadRoute(profile, config, log, values)) {
        ShowMessage(platform::kStyleStopIcon, 1, "Fehler",
                    "Die Ini-Datei\n%.700s\nl\xE4sst sich nicht lesen.",
                    config.ConfigFilePath.c_str());
        return;
    }
    RouteChooser chooser(config);
    if (!LoadRouteRecords(waypointFilePath, config, chooser)) {
        ShowMessage(platform::kStyleStopIcon, 1, "Fehler",
                    "Die Wendepunktdatei\n%.700s\nl\xE4sst sich nicht \xF6" "ffnen.",
                    waypointFilePath.c_str());
        return;
    }
    std::vector<RoutePoint> points;
    for (const std::string& value : values) {
        points.push_back(RoutePointOf(value));
    }
    chooser.SetRoute(std::move(points));
    dialog.Run(chooser, [&] { return AdoptRoute(profile, config, chooser.Route(), log); });
}

}  // namespace zr640
