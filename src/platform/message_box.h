#pragma once

namespace zr640::platform {

// Message box style bits the system uses (Windows values).
inline constexpr unsigned kStyleStopIcon = 0x10;  // MB_ICONHAND with MB_OK

// The platform's modal message box and system sound. Show() returns when the user has
// closed the box; the platform keeps delivering the dialog's timer ticks meanwhile.
// The owner is the application's active window, or none.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void Beep() = 0;
    virtual void Show(const char* text, const char* caption, unsigned style) = 0;
};

// The message box is a process-wide service: the front end installs its own at start-up,
// tests install a recording one. With none installed, messages go to standard error.
void InstallMessageBox(MessageBox* messageBox);
MessageBox& InstalledMessageBox();

}  // namespace zr640::platform
