// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/list_view.h"
#include "platform/taskbar_button.h"

namespace zr640::platform {

// The RX and TX lamps, which the port lights as bytes come and go. Mirrors CheckDlgButton.
class IndicatorLights {
public:
    virtual ~IndicatorLights() = default;
    virtual void CheckButton(int id, bool checked) = 0;
};

// The controls of the main dialog that the core writes, addressed by their ids, the dialog's
// title, its taskbar button and its timer. Mirrors SetDlgItemTextA, CheckDlgButton,
// EnableWindow, GetDlgItem, SetWindowTextA, SetTimer/KillTimer and EndDialog.
class DialogControls : public IndicatorLights {
public:
    // The window's title, Windows-1252.
    virtual void SetTitle(const char* text) = 0;
    virtual void SetItemText(int id, const char* text) = 0;
    // A disabled control is greyed and takes no input; the keyboard focus leaves it.
    virtual void EnableItem(int id, bool enabled) = 0;
    // The list control with that id, or null when the dialog has none.
    virtual ListView* List(int id) = 0;
    // The window's taskbar button, or null where the platform shows none.
    virtual TaskbarButton* Taskbar() = 0;
    virtual void StartTimer(unsigned periodMs) = 0;
    virtual void StopTimer() = 0;
    virtual void EndDialog() = 0;
};

}  // namespace zr640::platform
