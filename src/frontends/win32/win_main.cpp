// SPDX-License-Identifier: GPL-3.0-or-later
// The core's headers come before <windows.h>, whose macros would clash with their names.
#include <string>

#include "app/main_dialog_controller.h"
#include "app/thread_job_runner.h"
#include "platform/quit_request.h"
#include "config/configuration.h"
#include "platform/clock.h"
#include "platform/dialog_layout.h"
#include "platform/message_box.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "frontends/win32/main_dialog_proc.h"
#include "frontends/win32/win32_clipboard.h"
#include "frontends/win32/win32_dialog_controls.h"
#include "frontends/win32/win32_editor_launcher.h"
#include "frontends/win32/win32_file_chooser.h"
#include "frontends/win32/win32_message_box.h"
#include "frontends/win32/win32_route_dialog.h"
#include "backends/win32/win32_profile_file.h"
#include "backends/win32/win32_serial_device.h"

namespace {

// The dialog's thread as a single-threaded COM apartment, for the shell's taskbar list and
// the common dialogs, for as long as the program runs.
class ComApartment {
public:
    ComApartment() : entered_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (entered_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered_;
};

std::string CurrentDirectory() {
    const DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string directory(size, '\0');
    const DWORD length = GetCurrentDirectoryA(size, directory.data());
    directory.resize(length < size ? length : 0);
    return directory;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace zr640;
    // The manifest asks for Common Controls 6; this registers its classes, as a program with
    // visual styles should before it creates a window, and the report list of the route dialog.
    const INITCOMMONCONTROLSEX commonControls{sizeof(INITCOMMONCONTROLSEX),
                                              ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&commonControls);
    const ComApartment apartment;

    platform::Win32MessageBox messageBox;
    platform::InstallMessageBox(&messageBox);

    AppConfig config;
    platform::Win32ProfileFile profile;
    LoadConfiguration(profile, CurrentDirectory(), '\\', config);
    // The configuration has said why the program cannot go on; a dialog would only open the
    // port with settings that are not the user's.
    if (QuitRequested()) {
        platform::InstallMessageBox(nullptr);
        return 0;
    }

    platform::Win32DialogControls controls;
    platform::Win32SerialDevice serialDevice;
    platform::Win32FileChooser fileChooser(controls);
    platform::Win32EditorLauncher editor(controls);
    platform::SteadyClock clock;
    platform::Win32Clipboard clipboard(controls);
    ThreadJobRunner jobs(
        [&controls] { PostMessageA(controls.Window(), platform::kJobMessage, 0, 0); });
    platform::Win32RouteDialog routeDialog(instance, controls);
    MainDialogController controller(config, {serialDevice, fileChooser, editor, clock, jobs,
                                             clipboard, platform::kWindowsTextConvention, profile,
                                             routeDialog});
    platform::MainDialogBinding binding{controller, controls, jobs};
    platform::BindMainDialog(&binding);

    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                    platform::MainDialogProc, 0);

    platform::BindMainDialog(nullptr);
    platform::InstallMessageBox(nullptr);
    return 0;
}
