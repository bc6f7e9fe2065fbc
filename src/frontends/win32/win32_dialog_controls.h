// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <windows.h>

#include <map>

#include "platform/dialog_controls.h"
#include "platform/list_view.h"
#include "frontends/win32/win32_taskbar_button.h"

namespace zr640::platform {

// A list box of the dialog, driven by its LB_ messages.
class Win32ListView final : public ListView {
public:
    explicit Win32ListView(HWND list) : list_(list) {}

    void AddString(const char* text) override;
    int Count() const override;
    void DeleteString(int index) override;
    void SetCurSel(int index) override;
    void SetHorizontalExtent(int pixels) override;
    std::string GetText(int index) const override;
    int GetCurSel() const override;

private:
    HWND list_;
};

// The main dialog's controls, its title, its taskbar button and its timer (id 0). Bound to the
// dialog window when WM_INITDIALOG arrives; the file chooser, the editor and the clipboard take
// it as their owner.
class Win32DialogControls final : public DialogControls {
public:
    void Attach(HWND dialog);
    HWND Window() const { return dialog_; }

    void SetTitle(const char* text) override;
    void SetItemText(int id, const char* text) override;
    void CheckButton(int id, bool checked) override;
    void EnableItem(int id, bool enabled) override;
    ListView* List(int id) override;
    TaskbarButton* Taskbar() override { return &taskbar_; }
    // When the shell has made the window's taskbar button.
    void ConnectTaskbar() { taskbar_.Connect(dialog_); }
    void StartTimer(unsigned periodMs) override;
    void StopTimer() override;
    void EndDialog() override;

private:
    HWND dialog_ = nullptr;
    std::map<int, Win32ListView> lists_;
    Win32TaskbarButton taskbar_;
};

}  // namespace zr640::platform
