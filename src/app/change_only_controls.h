// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

#include "platform/dialog_controls.h"

namespace zr640 {

// The dialog's controls as the core writes them: a text or a check state reaches the front end
// only when it differs from what was last set there. The tick would otherwise repaint the byte
// display and the lamps twenty times a second with what they already show, which under Wine
// goes through the server each time. Everything else (the title among it) passes straight
// through.
class ChangeOnlyControls final : public platform::DialogControls {
public:
    void Attach(platform::DialogControls* target);
    // The user has worked control `id` (typed into it, clicked it): it may no longer show what
    // was set, so the next write reaches it whatever it is. A click on one lamp also clears
    // the other, as automatic radio buttons of one group do.
    void UserWorked(int id);

    void SetTitle(const char* text) override;
    void SetItemText(int id, const char* text) override;
    void CheckButton(int id, bool checked) override;
    void EnableItem(int id, bool enabled) override;
    platform::ListView* List(int id) override;
    platform::TaskbarButton* Taskbar() override;
    void StartTimer(unsigned periodMs) override;
    void StopTimer() override;
    void EndDialog() override;

private:
    platform::DialogControls* target_ = nullptr;
    std::map<int, std::string> texts_;
    std::map<int, bool> checks_;
};

}  // namespace zr640
