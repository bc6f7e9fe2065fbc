// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include "app/route_chooser.h"

namespace zr640 {

// The route dialog "Strecke wählen" of a front end: a modal dialog over its owner, the main
// dialog, whose loop keeps delivering the main dialog's ticks. It draws `chooser`, hands it
// every action of the user and redraws what changed. OK calls `accept` and closes the dialog
// only when that returns true; "Abbrechen", Escape and the close box close it and change
// nothing. Returns once the dialog has closed.
class RouteDialog {
public:
    virtual ~RouteDialog() = default;
    virtual void Run(RouteChooser& chooser, const std::function<bool()>& accept) = 0;
};

}  // namespace zr640
