#pragma once

#include <string>
#include <vector>

#include "platform/list_view.h"

namespace zr640::testing {

// A list control that keeps its entries, the selection and the horizontal extent.
class FakeListView final : public platform::ListView {
public:
    void AddString(const char* text) override { entries.emplace_back(text); }
    int Count() const override { return static_cast<int>(entries.size()); }
    void DeleteString(int index) override {
        entries.erase(entries.begin() + index);
        ++deletions;
    }
    void SetCurSel(int index) override { selection = index; }
    void SetHorizontalExtent(int pixels) override { horizontalExtent = pixels; }

    std::vector<std::string> entries;
    int selection = -1;
    int horizontalExtent = 0;
    int deletions = 0;
};

}  // namespace zr640::testing
