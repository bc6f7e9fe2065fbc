// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "platform/taskbar_button.h"

namespace zr640::platform {

// The dialog's taskbar button through the shell's ITaskbarList3. The shell offers the list
// once it has made the button ("TaskbarButtonCreated"); until then, and where it offers none
// (older shells, Wine without a taskbar), nothing is shown and nothing fails.
class Win32TaskbarButton final : public TaskbarButton {
public:
    Win32TaskbarButton() = default;
    ~Win32TaskbarButton() override;
    Win32TaskbarButton(const Win32TaskbarButton&) = delete;
    Win32TaskbarButton& operator=(const Win32TaskbarButton&) = delete;

    // The message the shell sends when it has made the button.
    static UINT CreatedMessage();
    // On that message: takes the shell's taskbar list for the window, if it offers one.
    void Connect(HWND window);

    void ShowProgress(int done, int total) override;
    void ShowError(std::uint32_t forMs) override;
    void Clear() override;

private:
    static void CALLBACK EndError(HWND window, UINT message, UINT_PTR timer, DWORD ms);
    void StopErrorTimer();
    UINT_PTR ErrorTimerId() const { return reinterpret_cast<UINT_PTR>(this); }

    HWND window_ = nullptr;
    ITaskbarList3* list_ = nullptr;
};

}  // namespace zr640::platform
