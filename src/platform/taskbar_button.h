// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zr640::platform {

// The window's button on the taskbar, which shows how far a long operation has come even
// while the window is minimised. Mirrors ITaskbarList3's progress states.
class TaskbarButton {
public:
    virtual ~TaskbarButton() = default;
    // Running: `done` of `total` steps, or, with `total` 0, running without a known end.
    virtual void ShowProgress(int done, int total) = 0;
    // Stopped short: the error state where the progress stood, for `forMs`, then nothing.
    virtual void ShowError(std::uint32_t forMs) = 0;
    // No progress shown.
    virtual void Clear() = 0;
};

}  // namespace zr640::platform
