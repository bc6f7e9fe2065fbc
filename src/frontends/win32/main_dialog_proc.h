// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

#include "frontends/win32/win32_dialog_controls.h"

namespace zr640 {
class MainDialogController;
class ThreadJobRunner;
}

namespace zr640::platform {

// Posted by a transfer's job when it has something for the dialog's thread.
inline constexpr UINT kJobMessage = WM_APP + 1;

// What MainDialogProc drives. Start-up binds it before the dialog runs and unbinds it after;
// the dialog's own parameter stays 0.
struct MainDialogBinding {
    MainDialogController& controller;
    Win32DialogControls& controls;
    ThreadJobRunner& jobs;
};

void BindMainDialog(MainDialogBinding* binding);

// The dialog's event handler: initialisation, commands (low 16 bits of the first parameter),
// a double-click on the log, ticks, destruction and what a job posts go to the controller and
// count as handled, and so do the commands of the system menu's and the log's entries that the
// controller describes; the dialog manager handles everything else.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace zr640::platform
