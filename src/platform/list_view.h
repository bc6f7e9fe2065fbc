// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zr640::platform {

// The event log's list control (id 110). Texts are zero-terminated Windows-1252.
// The backend appends at the end (no sorting) and repaints the new entry at once,
// so that a log written during a long transfer is seen growing line by line.
class ListView {
public:
    virtual ~ListView() = default;
    virtual void AddString(const char* text) = 0;
    virtual int Count() const = 0;
    virtual void DeleteString(int index) = 0;
    // Selects the entry and scrolls it into view.
    virtual void SetCurSel(int index) = 0;
    virtual void SetHorizontalExtent(int pixels) = 0;
    // What the log holds, read back for the user to take away: the entry at `index` as it was
    // added (empty when there is none), and the selected entry (-1 when none is).
    virtual std::string GetText(int index) const = 0;
    virtual int GetCurSel() const = 0;
};

}  // namespace zr640::platform
