// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zr640::platform {

// At most this many ports are named when the configured one does not exist.
inline constexpr std::size_t kPortListMaxEntries = 10;

// The lines shown when the configured port does not exist: the ports there are, one a
// line (at most kPortListMaxEntries, a name of over 200 characters cut and marked), or
// that there are none; then `hint`, where the user puts the choice. The text stays within
// `budget` characters: ports beyond the count or the budget are left out with a line that
// says so, and when not even the heading and the hint fit, the text is empty.
std::string FormatPortList(const std::vector<std::string>& ports, const std::string& hint,
                           std::size_t budget);

}  // namespace zr640::platform
