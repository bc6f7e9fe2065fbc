// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/quit_request.h"

namespace zr640 {
namespace {
bool quitRequested = false;
}

void RaiseQuitRequest() { quitRequested = true; }
bool QuitRequested() { return quitRequested; }
void ResetQuitRequest() { quitRequested = false; }

}  // namespace zr640
