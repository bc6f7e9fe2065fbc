#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fake_list_view.h"
#include "platform/dialog_controls.h"

namespace zr640::testing {

// The main dialog's controls as plain state, with every text set and every change of an
// indicator in order.
class FakeDialogControls final : public platform::DialogControls {
public:
    void SetItemText(int id, const char* text) override {
        itemText[id] = text;
        textsSet.push_back(id);
    }
    void CheckButton(int id, bool checked) override { checks.emplace_back(id, checked); }
    void EnableItem(int id, bool enabled) override {
        if (enabled) disabled.erase(id); else disabled.insert(id);
    }
    platform::ListView* List(int id) override { return id == 110 ? &list : nullptr; }
    void StartTimer(unsigned periodMs) override { timerPeriodMs = periodMs, timerRunning = true; }
    void StopTimer() override { timerRunning = false; }
    void EndDialog() override { ended = true; }

    // The event log over the list control, for code that logs without a controller.
    RecordedLog log;
    FakeListView& list = log.list;
    std::map<int, std::string> itemText;
    std::vector<int> textsSet;
    std::set<int> disabled;
    std::vector<std::pair<int, bool>> checks;
    unsigned timerPeriodMs = 0;
    bool timerRunning = false;
    bool ended = false;
};

}  // namespace zr640::testing
