// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/route_dialog.h"

#include <windows.h>

#include "frontends/win32/win32_dialog_controls.h"

namespace zr640::platform {

// The route dialog from resource template 200, modal over the main dialog. Its records list
// is a virtual report list: the rows are asked for as they are drawn, so that neither a large
// file nor a filter keystroke costs more than the rows in view.
class Win32RouteDialog final : public RouteDialog {
public:
    Win32RouteDialog(HINSTANCE instance, const Win32DialogControls& owner)
        : instance_(instance), owner_(owner) {}
    void Run(RouteChooser& chooser, const std::function<bool()>& accept) override;

private:
    HINSTANCE instance_;
    const Win32DialogControls& owner_;
};

}  // namespace zr640::platform
