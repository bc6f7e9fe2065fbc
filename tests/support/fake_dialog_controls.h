// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fake_list_view.h"
#include "platform/dialog_controls.h"

namespace zr640::testing {

// A taskbar button that notes what it was told to show, in order.
class RecordingTaskbar final : public platform::TaskbarButton {
public:
    void ShowProgress(int done, int total) override {
        shown.push_back("progress " + std::to_string(done) + " of " + std::to_string(total));
    }
    void ShowError(std::uint32_t forMs) override {
        shown.push_back("error for " + std::to_string(forMs) + " ms");
    }
    void Clear() override { shown.push_back("clear"); }

    std::vector<std::string> shown;
};

// The main dialog's controls as plain state, with every text set and every change of an
// indicator in order.
class FakeDialogControls final : public platform::DialogControls {
public:
    void SetTitle(const char* text) override { titles.emplace_back(text); }
    void SetItemText(int id, const char* text) override {
        itemText[id] = text;
        textsSet.push_back(id);
    }
    void CheckButton(int id, bool checked) override { checks.emplace_back(id, checked); }
    void EnableItem(int id, bool enabled) override {
        if (enabled) disabled.erase(id); else disabled.insert(id);
    }
    platform::ListView* List(int id) override { return id == 110 ? &list : nullptr; }
    platform::TaskbarButton* Taskbar() override { return &taskbar; }
    void StartTimer(unsigned periodMs) override { timerPeriodMs = periodMs, timerRunning = true; }
    void StopTimer() override { timerRunning = false; }
    void EndDialog() override { ended = true; }

    // The event log over the list control, for code that logs without a controller.
    RecordedLog log;
    FakeListView& list = log.list;
    std::map<int, std::string> itemText;
    std::vector<int> textsSet;
    std::vector<std::string> titles;  // every title set, in order
    RecordingTaskbar taskbar;
    std::set<int> disabled;
    std::vector<std::pair<int, bool>> checks;
    unsigned timerPeriodMs = 0;
    bool timerRunning = false;
    bool ended = false;
};

}  // namespace zr640::testing
