// SPDX-License-Identifier: GPL-3.0-or-later
// What zr640 on Linux answers from its command line alone, before Qt starts, so that it needs
// no display: --help and --version. Every other argument is Qt's (-platform, -style, ...).
#pragma once

#include <optional>

namespace zr640::platform {

// Prints the help or the version to standard output when an argument asks for it and returns
// the exit status; nothing when the dialog is to start.
std::optional<int> AnswerCommandLine(int argc, char* argv[]);

}  // namespace zr640::platform
