// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/route_chooser.h"

#include "platform/route_dialog_layout.h"

#include <algorithm>
#include <cstdio>

#include "config/configuration.h"
#include "platform/text/windows_1252.h"
#include "transfer/waypoint_file_reader.h"
#include "transfer/waypoint_line.h"

namespace zr640 {
namespace {

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), platform::UpperCase1252);
    return upper;
}

// Whether `text` holds `upperNeedle`, upper and lower case alike.
bool Holds(std::string_view text, std::string_view upperNeedle) {
    const auto at = std::search(text.begin(), text.end(), upperNeedle.begin(), upperNeedle.end(),
                                [](char a, char b) { return platform::UpperCase1252(a) == b; });
    return at != text.end() || upperNeedle.empty();
}

}  // namespace

void RouteChooser::AddRecord(const RoutePoint& point, long lineNumber) {
    records_.push_back({point, lineNumber});
    if (Passes(records_.back())) {
        shown_.push_back(static_cast<int>(records_.size() - 1));
        if (selectedRow_ < 0) {
            selectedRow_ = 0;
        }
    }
}

void RouteChooser::SetRoute(std::vector<RoutePoint> points) {
    if (points.size() > static_cast<std::size_t>(kRouteSlots)) {
        points.resize(kRouteSlots);
    }
    route_ = std::move(points);
    selectedPoint_ = route_.empty() ? -1 : 0;
}

RoutePoint RouteChooser::ShownRecord(int row) const {
    return SentPoint(RecordAt(row).point, config_);
}

long RouteChooser::RecordLine(int row) const { return RecordAt(row).lineNumber; }

std::string RouteChooser::CellText(int row, int column) const {
    if (column == platform::kRouteLineColumn) {
        return std::to_string(RecordLine(row));
    }
    const RoutePoint shown = ShownRecord(row);
    return column == 0 ? shown.name : shown.code;
}

std::string RouteChooser::SkippedText() const {
    if (skippedLines_ == 0) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, skippedLines_ == 1 ? "%ld Zeile \xFC" "bersprungen"
                                                        : "%ld Zeilen \xFC" "bersprungen",
                  skippedLines_);
    return text;
}

int RouteChooser::FindRow(std::string_view prefix, int start) const {
    const std::string upperPrefix = UpperCase(prefix);
    for (int i = 0; i < RowCount(); ++i) {
        const int row = (std::max(start, 0) + i) % RowCount();
        const std::string name = UpperCase(ShownRecord(row).name);
        if (name.starts_with(upperPrefix)) {
            return row;
        }
    }
    return -1;
}

bool RouteChooser::Passes(const Record& record) const {
    return Holds(record.point.name, upperFilter_) || Holds(record.point.code, upperFilter_);
}

void RouteChooser::SetFilter(std::string_view text) {
    const int selectedRecord =
        selectedRow_ >= 0 ? shown_[static_cast<std::size_t>(selectedRow_)] : -1;
    upperFilter_ = UpperCase(text);
    shown_.clear();
    selectedRow_ = -1;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (Passes(records_[i])) {
            if (static_cast<int>(i) == selectedRecord) {
                selectedRow_ = static_cast<int>(shown_.size());
            }
            shown_.push_back(static_cast<int>(i));
        }
    }
    if (selectedRow_ < 0 && !shown_.empty()) {
        selectedRow_ = 0;
    }
}

void RouteChooser::SelectRow(int row) { selectedRow_ = row >= 0 && row < RowCount() ? row : -1; }

std::string RouteChooser::PointText(int point) const {
    const RoutePoint sent = SentPoint(route_.at(static_cast<std::size_t>(point)), config_);
    return std::to_string(point + 1) + ". " + RouteValue(sent);
}

void RouteChooser::SelectPoint(int point) {
    selectedPoint_ = point >= 0 && point < PointCount() ? point : -1;
}

bool RouteChooser::CanAdd() const { return selectedRow_ >= 0 && PointCount() < kRouteSlots; }

void RouteChooser::Add() {
    if (!CanAdd()) {
        return;
    }
    route_.push_back(RecordAt(selectedRow_).point);
    selectedPoint_ = PointCount() - 1;
}

void RouteChooser::Remove() {
    if (!CanRemove()) {
        return;
    }
    route_.erase(route_.begin() + selectedPoint_);
    selectedPoint_ = std::min(selectedPoint_, PointCount() - 1);
}

void RouteChooser::MoveUp() {
    if (CanMoveUp()) {
        Move(-1);
    }
}

void RouteChooser::MoveDown() {
    if (CanMoveDown()) {
        Move(1);
    }
}

void RouteChooser::Move(int by) {
    std::swap(route_[static_cast<std::size_t>(selectedPoint_)],
              route_[static_cast<std::size_t>(selectedPoint_ + by)]);
    selectedPoint_ += by;
}

RecordsRead LoadRouteRecords(const std::string& path, const AppConfig& config,
                             RouteChooser& chooser, const platform::OperationEnvironment* operation) {
    WaypointFileReader reader;
    if (!reader.Open(path)) {
        return RecordsRead::CannotOpen;
    }
    for (WaypointLineStatus status; (status = reader.Next()) != WaypointLineStatus::End;) {
        if (operation != nullptr && operation->IsCancelled()) {
            return RecordsRead::Cancelled;
        }
        if (PrepareLine(status, reader, config).problem != nullptr) {
            chooser.SkipLine();
            if (status == WaypointLineStatus::ReadError) {
                break;
            }
            continue;
        }
        const RoutePoint point = RoutePointOf(reader.Text());
        if (RouteValue(point).size() > kMaxRouteValueLength) {
            chooser.SkipLine();
            continue;
        }
        chooser.AddRecord(point, reader.LineNumber());
    }
    return RecordsRead::Read;
}

}  // namespace zr640
