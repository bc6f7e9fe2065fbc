#pragma once

#include "platform/list_view.h"

namespace zr640::platform {

// The controls of the main dialog that the core writes, addressed by their ids, and the
// dialog's timer. Mirrors SetDlgItemTextA, CheckDlgButton, GetDlgItem, SetTimer/KillTimer
// and EndDialog.
class DialogControls {
public:
    virtual ~DialogControls() = default;
    virtual void SetItemText(int id, const char* text) = 0;
    virtual void CheckButton(int id, bool checked) = 0;
    // The list control with that id, or null when the dialog has none.
    virtual ListView* List(int id) = 0;
    virtual void StartTimer(unsigned periodMs) = 0;
    virtual void StopTimer() = 0;
    virtual void EndDialog() = 0;
};

}  // namespace zr640::platform
