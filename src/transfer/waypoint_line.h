// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "config/app_config.h"
#include "transfer/waypoint_file_reader.h"

namespace zr640 {

// The reader's current line as the upload sends it: its fields and framed sentence, or why
// the line cannot go out whole (for "Abbruch, Zeile n: <problem>"). The route dialog offers
// only the lines that the upload would send.
struct PreparedLine {
    const char* problem = nullptr;
    std::string sentence;
};

PreparedLine PrepareLine(WaypointLineStatus status, const WaypointFileReader& reader,
                         const AppConfig& config);

}  // namespace zr640
