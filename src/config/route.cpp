// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/route.h"

#include <algorithm>
#include <optional>

#include "config/configuration.h"

namespace zr640 {
namespace {

// The fallback that tells an absent key from an empty one: no value a user writes holds it.
constexpr const char* kAbsent = "\x01\x01";

std::string RouteKey(int k) { return "StreckenPunkt" + std::to_string(k); }

// One key as it should be afterwards: a value, or gone.
struct KeyState {
    std::string key;
    std::optional<std::string> value;
};

bool Apply(platform::ProfileFile& profile, const char* path, const KeyState& state) {
    return state.value ? profile.WriteString(kRouteSection, state.key.c_str(),
                                             state.value->c_str(), path)
                       : profile.RemoveKey(kRouteSection, state.key.c_str(), path);
}

}  // namespace

std::vector<std::string> ReadRouteValues(platform::ProfileFile& profile, const char* path) {
    std::vector<std::string> values;
    for (int k = 1; k <= kRouteSlots; ++k) {
        std::string value = profile.GetString(kRouteSection, RouteKey(k).c_str(), "", path);
        if (!value.empty()) {
            values.push_back(std::move(value));
        }
    }
    return values;
}

void SetRoute(const std::vector<std::string>& values, AppConfig& config) {
    config.Route = RouteTable{};
    config.RouteCount = 0;
    for (const std::string& value : values) {
        if (config.RouteCount == kRouteSlots) {
            break;
        }
        ParseWaypointFields(value.c_str(), config.Route.slot[config.RouteCount], config);
        ++config.RouteCount;
    }
}

bool SameRoute(const AppConfig& a, const AppConfig& b) {
    if (a.RouteCount != b.RouteCount) {
        return false;
    }
    for (int slot = 0; slot < std::clamp(a.RouteCount, 0, kRouteSlots); ++slot) {
        const WaypointFields& x = a.Route.slot[static_cast<std::size_t>(slot)];
        const WaypointFields& y = b.Route.slot[static_cast<std::size_t>(slot)];
        if (std::string(x.Field(1)) != y.Field(1) || std::string(x.Field(2)) != y.Field(2)) {
            return false;
        }
    }
    return true;
}

RoutePoint RoutePointOf(const std::string& value) {
    static const AppConfig uncut = [] {
        AppConfig lengths;
        lengths.MaxLaengeName1 = kFieldSize;
        lengths.MaxLaengeName2 = kFieldSize;
        return lengths;
    }();
    WaypointFields fields;
    ParseWaypointFields(value.c_str(), fields, uncut);
    return {fields.Field(1), fields.Field(2)};
}

std::string RouteValue(const RoutePoint& point) { return point.name + "," + point.code; }

RoutePoint SentPoint(const RoutePoint& point, const AppConfig& config) {
    WaypointFields fields;
    ParseWaypointFields(RouteValue(point).c_str(), fields, config);
    return {fields.Field(1), fields.Field(2)};
}

bool WriteRoute(platform::ProfileFile& profile, const char* path,
                const std::vector<std::string>& values, std::string& error) {
    std::vector<KeyState> before;
    std::vector<KeyState> after;
    for (int k = 1; k <= kRouteSlots; ++k) {
        const std::string key = RouteKey(k);
        const std::string old = profile.GetString(kRouteSection, key.c_str(), kAbsent, path);
        before.push_back({key, old == kAbsent ? std::nullopt : std::optional(old)});
        const std::size_t index = static_cast<std::size_t>(k - 1);
        after.push_back({key, index < values.size() ? std::optional(values[index]) : std::nullopt});
    }
    for (std::size_t done = 0; done < after.size(); ++done) {
        const bool nothingToRemove = !after[done].value && !before[done].value;
        if (nothingToRemove || Apply(profile, path, after[done])) {
            continue;
        }
        error = profile.LastWriteError();
        // Back to what the file held: the failure was most likely the first write, and a
        // later one leaves keys behind that would make a route nobody chose.
        while (done > 0) {
            --done;
            Apply(profile, path, before[done]);
        }
        return false;
    }
    return true;
}

}  // namespace zr640
