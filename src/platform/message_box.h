// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zr640::platform {

// Message box style bits the system uses (Windows values).
inline constexpr unsigned kStyleStopIcon = 0x10;         // MB_ICONHAND with MB_OK
inline constexpr unsigned kStyleInformationIcon = 0x40;  // MB_ICONINFORMATION with MB_OK

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
// For the calling thread only, ahead of the process-wide one: a job away from the dialog's
// thread installs one that hands its boxes to the dialog's thread. Null removes it.
void InstallThreadMessageBox(MessageBox* messageBox);
MessageBox& InstalledMessageBox();

// Counts the boxes that are open, so that the dialog's tick can hold its reading while one is:
// the box's own event loop keeps delivering ticks, and a failing read would open the next.
class OpenBoxCount {
public:
    OpenBoxCount();
    ~OpenBoxCount();
    OpenBoxCount(const OpenBoxCount&) = delete;
    OpenBoxCount& operator=(const OpenBoxCount&) = delete;
};
bool MessageBoxOpen();

}  // namespace zr640::platform
