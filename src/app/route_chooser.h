// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/app_config.h"
#include "config/route.h"
#include "platform/operation_environment.h"

namespace zr640 {

// The route dialog "Strecke wählen": on the left the records of the waypoint file, narrowed
// by a filter, on the right the route of at most four points. The views draw it and hand it
// the user's actions; what the dialog shows and what OK writes are decided here. Rows and
// points are counted from 0; -1 stands for no selection.
class RouteChooser {
public:
    // `config` gives the lengths that the names are shown cut to, as the task sends them.
    explicit RouteChooser(const AppConfig& config) : config_(config) {}

    // Filled from the waypoint file: a record the upload would send, with its fields 1 and 2
    // trimmed but not cut and its line number, or a line that is not offered.
    void AddRecord(const RoutePoint& point, long lineNumber);
    void SkipLine() { ++skippedLines_; }
    // The route the dialog opens with.
    void SetRoute(std::vector<RoutePoint> points);

    // The records the filter lets through, in the order of the file.
    int RowCount() const { return static_cast<int>(shown_.size()); }
    // Row `row` as the task would send it (cut), and its line in the file.
    RoutePoint ShownRecord(int row) const;
    long RecordLine(int row) const;
    // What the records list shows in `column` of `row` (name, identifier, line number).
    std::string CellText(int row, int column) const;
    // "3 Zeilen übersprungen", or empty when every line is offered.
    std::string SkippedText() const;
    // The first row from `start` on, wrapping round, whose shown name begins with `prefix`
    // (case as the filter ignores it), or -1: typing in the list jumps there.
    int FindRow(std::string_view prefix, int start) const;

    // Windows-1252. A record passes when its name or identifier holds the text, upper and
    // lower case alike (ä and Ä too). The selected record stays selected if it passes, else
    // the first row is.
    void SetFilter(std::string_view text);
    int SelectedRow() const { return selectedRow_; }
    void SelectRow(int row);

    int PointCount() const { return static_cast<int>(route_.size()); }
    // "1. Name,Kennung", as the task would send the point.
    std::string PointText(int point) const;
    int SelectedPoint() const { return selectedPoint_; }
    void SelectPoint(int point);

    // What the buttons may do now; a view greys those that may not.
    bool CanAdd() const;
    bool CanRemove() const { return selectedPoint_ >= 0; }
    bool CanMoveUp() const { return selectedPoint_ > 0; }
    bool CanMoveDown() const { return selectedPoint_ >= 0 && selectedPoint_ + 1 < PointCount(); }
    // Each does nothing when it may not. The point added, or moved, is selected.
    void Add();
    void Remove();
    void MoveUp();
    void MoveDown();

    // The route that OK writes, in its order.
    const std::vector<RoutePoint>& Route() const { return route_; }

private:
    struct Record {
        RoutePoint point;
        long lineNumber;
    };
    const Record& RecordAt(int row) const {
        return records_[static_cast<std::size_t>(shown_.at(static_cast<std::size_t>(row)))];
    }
    bool Passes(const Record& record) const;
    void Move(int by);

    const AppConfig& config_;
    std::vector<Record> records_;
    std::vector<int> shown_;  // indices into records_
    long skippedLines_ = 0;
    std::string upperFilter_;
    int selectedRow_ = -1;
    std::vector<RoutePoint> route_;
    int selectedPoint_ = -1;
};

enum class RecordsRead { Read, CannotOpen, TooLarge, Cancelled };

// Reads the waypoint file into `chooser` with the same reader and the same field cutting as
// the upload, keeping fields 1 and 2 and the line number of each record. A line the upload
// would refuse, or one whose two fields would not fit the 255 characters of a key, is counted
// as skipped. A cancel of `operation`, when given, stops it before the next line.
RecordsRead LoadRouteRecords(const std::string& path, const AppConfig& config,
                             RouteChooser& chooser,
                             const platform::OperationEnvironment* operation = nullptr);

}  // namespace zr640
