// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/event_log.h"
#include "platform/list_view.h"

namespace zr640::testing {

// A list control that keeps its entries, the selection and the horizontal extent, and the most
// entries it held right after an insertion.
class FakeListView final : public platform::ListView {
public:
    void AddString(const char* text) override {
        entries.emplace_back(text);
        peak = std::max(peak, Count());
    }
    int Count() const override { return static_cast<int>(entries.size()); }
    void DeleteString(int index) override {
        entries.erase(entries.begin() + index);
        ++deletions;
    }
    void SetCurSel(int index) override { selection = index; }
    void SetHorizontalExtent(int pixels) override { horizontalExtent = pixels; }
    std::string GetText(int index) const override {
        return index >= 0 && index < Count() ? entries[static_cast<std::size_t>(index)] : "";
    }
    int GetCurSel() const override { return selection < Count() ? selection : -1; }

    std::vector<std::string> entries;
    int selection = -1;
    int horizontalExtent = 0;
    int deletions = 0;
    int peak = 0;
};

// The real event log over a FakeListView, for tests that read back what was logged.
class RecordedLog final : public platform::LogSink {
public:
    RecordedLog() = default;
    RecordedLog(const RecordedLog&) = delete;
    RecordedLog& operator=(const RecordedLog&) = delete;
    void Append(const char* text) override { log_.Append(text); }

    FakeListView list;
    std::vector<std::string>& entries = list.entries;

private:
    EventLog log_{&list};
};

}  // namespace zr640::testing
