// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zr640 {

// The quit request of start-up: raised by the configuration when the program cannot go on;
// the main dialog ends as soon as its event loop runs, after its initialisation.
void RaiseQuitRequest();
bool QuitRequested();
void ResetQuitRequest();

}  // namespace zr640
