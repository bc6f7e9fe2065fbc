// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The core's headers come before <windows.h>, whose macros would clash with their names.
#include <vector>

#include "app/menus.h"

#include <windows.h>

namespace zr640::platform {

// The menus the controller describes, drawn with the menu functions of Windows.

// Appends the entries to a menu: the window's system menu, or a new popup menu.
void AppendEntries(HMENU menu, const std::vector<MenuEntry>& entries);
// Greys or enables the entries already in the menu as they say, as it opens.
void UpdateEntries(HMENU menu, const std::vector<MenuEntry>& entries);
// Whether a WM_SYSCOMMAND's command (its low four bits cleared) is one of the entries.
bool HoldsCommand(const std::vector<MenuEntry>& entries, int id);

// Where the log's context menu opens for a WM_CONTEXTMENU on the list: at the mouse, with the
// entry it points at selected, or from the keyboard (`where` -1) below the selected entry.
// False for a click beside the entries (on a scroll bar), which is left to the system.
bool LogMenuPoint(HWND list, LPARAM where, POINT& point);
// Shows the entries as a popup menu at the screen point: the command chosen, 0 for none.
int TrackMenu(HWND owner, POINT point, const std::vector<MenuEntry>& entries);

// Makes the list's keys work as in any log view: Ctrl+C sends IDM_COPY_LINE, Shift+F10 and the
// menu key open the context menu (WM_CONTEXTMENU from the keyboard), both to the dialog.
void AddLogKeys(HWND list);

}  // namespace zr640::platform
