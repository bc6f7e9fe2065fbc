// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace zr640::platform {

// The core's Windows-1252 text as UTF-16, whatever code page the system runs with.
std::wstring WideFrom1252(std::string_view text);

}  // namespace zr640::platform
