// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/clipboard.h"

namespace zr640 {

// "Über zr640…": the version, what the program does, the configuration file in use (its path
// in the platform's bytes) and the licence, in a box without a beep.
void ShowAbout(const std::string& configFilePath, platform::TextConvention convention);

}  // namespace zr640
