// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>

#include "app/route_chooser.h"

namespace zr640::testing {

// What the route dialog shows: its records (name and identifier as sent, @ line), the lines
// skipped, the route, the selected record and point, and the buttons that are not greyed.
inline std::string Shown(const RouteChooser& c) {
    std::string shown = "rows";
    for (int row = 0; row < c.RowCount(); ++row) {
        const RoutePoint point = c.ShownRecord(row);
        shown.append(" ").append(point.name).append(",").append(point.code).append("@");
        shown += std::to_string(c.RecordLine(row));
    }
    // Appended piece by piece: MinGW's GCC 12 takes "text" + string for an overlapping copy.
    shown.append(" | ").append(c.SkippedText()).append(" | route");
    for (int point = 0; point < c.PointCount(); ++point) {
        shown.append(" ").append(c.PointText(point));
    }
    shown.append(" | selected ").append(std::to_string(c.SelectedRow())).append(" ");
    shown.append(std::to_string(c.SelectedPoint())).append(" |");
    const std::pair<bool, const char*> buttons[] = {{c.CanAdd(), " add"},
        {c.CanRemove(), " remove"}, {c.CanMoveUp(), " up"}, {c.CanMoveDown(), " down"}};
    for (const auto& [enabled, name] : buttons) shown += enabled ? name : "";
    return shown;
}

// Carries out one step of a user in the route dialog: "filter <text>", "select <row>",
// "point <n>", "find <prefix> <from>" (typing in the list), "add", "remove", "up", "down".
// What it did, when the step says more than the state shows.
inline std::string Take(RouteChooser& c, const std::string& step) {
    const std::string word = step.substr(0, step.find(' '));
    const std::string rest = step.substr(std::min(step.size(), word.size() + 1));
    if (word == "filter") c.SetFilter(rest);
    if (word == "select") c.SelectRow(std::stoi(rest));
    if (word == "point") c.SelectPoint(std::stoi(rest));
    if (word == "add") c.Add();
    if (word == "remove") c.Remove();
    if (word == "up") c.MoveUp();
    if (word == "down") c.MoveDown();
    if (word == "find") {
        const std::size_t blank = rest.rfind(' ');
        return "found " + std::to_string(c.FindRow(rest.substr(0, blank),
                                                   std::stoi(rest.substr(blank + 1))));
    }
    return {};
}

}  // namespace zr640::testing
