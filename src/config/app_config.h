// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zr640 {

inline constexpr int kFieldSize = 256;  // bytes of one text field, terminator included
inline constexpr int kWaypointFieldCount = 9;
inline constexpr int kRouteSlots = 4;

// Nine comma-separated text fields of one line, each at most 255 characters.
struct WaypointFields {
    std::array<std::array<char, kFieldSize>, kWaypointFieldCount> field{};

    // Field n, counted from 1 as the line counts them.
    const char* Field(int n) const { return field[static_cast<std::size_t>(n - 1)].data(); }
    char* Field(int n) { return field[static_cast<std::size_t>(n - 1)].data(); }
};

struct RouteTable {
    std::array<WaypointFields, kRouteSlots> slot{};
};

struct AppConfig {
    std::int32_t PortNumber = 1;
    std::int32_t BaudRate = 4800;
    char Parity = 'N';
    std::int32_t DataBits = 8;
    std::int32_t StopBits = 1;
    bool Debug = false;
    std::int32_t MaxLaengeName1 = 8;
    std::int32_t MaxLaengeName2 = 4;
    bool Hoehe = true;
    bool Frequenz = true;
    RouteTable Route;
    std::int32_t RouteCount = 0;
    // Linux only: the device that stands for COM PortNumber ("Device" in section "ZR640");
    // empty means /dev/ttyS<PortNumber-1>.
    std::string Device;
    // Full path of the configuration file.
    std::string ConfigFilePath;
};

}  // namespace zr640
