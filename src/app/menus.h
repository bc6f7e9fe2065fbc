// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

namespace zr640 {

// One entry of a menu that the front ends draw as it stands: the command it sends to the
// controller as OnCommand(id), or a separator (id 0).
struct MenuEntry {
    int id;
    // Windows-1252; '&' marks the access key, a tab sets off the shortcut shown on the right.
    const char* text;
    bool enabled;
};

enum class Menu {
    LogContext,           // the log's context menu
    LogContextWithAbout,  // the same where the window has no system menu of its own to hold it
    System,               // what the window's system menu gets below its own entries
};

// What the entries depend on.
struct MenuState {
    bool lineSelected;     // "Zeile kopieren" needs an entry to copy
    bool transferRunning;  // no route is chosen while one may be on its way
};

std::vector<MenuEntry> MenuEntries(Menu menu, const MenuState& state);

}  // namespace zr640
