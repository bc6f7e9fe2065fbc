// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include "app/route_dialog.h"

namespace zr640::testing {

// The route dialog where a course never opens it, or the user closes it at once.
struct ClosedRouteDialog final : RouteDialog {
    void Run(RouteChooser&, const std::function<bool()>&) override {}
};

}  // namespace zr640::testing
