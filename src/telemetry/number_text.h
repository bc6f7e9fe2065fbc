// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zr640 {

// Appends `value` with `decimals` digits after a full stop, rounded as printf's "%.*f"
// rounds. Unlike printf it ignores LC_NUMERIC, so the log keeps its full stops even when a
// front end has set a German locale. Values too wide for fixed notation (far beyond any
// decoded field) come out in scientific notation rather than cut off.
void AppendFixed(std::string& text, double value, int decimals);

}  // namespace zr640
