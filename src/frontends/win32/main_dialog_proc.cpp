// SPDX-License-Identifier: GPL-3.0-or-later
// The core's headers come before <windows.h>, whose macros would clash with their names.
#include "app/main_dialog_controller.h"
#include <string>

#include "app/thread_job_runner.h"
#include "frontends/win32/main_dialog_proc.h"
#include "frontends/win32/win32_menus.h"

namespace zr640::platform {
namespace {

MainDialogBinding* boundDialog = nullptr;

// The commands the controller put into the system menu; the window's own (its low four bits
// are flags) go to the dialog manager.
bool OnSystemCommand(HWND dialog, WPARAM wParam) {
    const int id = static_cast<int>(wParam & 0xFFF0);
    if (!HoldsCommand(boundDialog->controller.SystemMenu(), id)) {
        return false;
    }
    boundDialog->controller.OnCommand(id);
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    return true;
}

bool OnContextMenu(HWND dialog, WPARAM wParam, LPARAM lParam) {
    HWND list = GetDlgItem(dialog, IDC_LOG);
    POINT at{};
    if (reinterpret_cast<HWND>(wParam) != list || !LogMenuPoint(list, lParam, at)) {
        return false;
    }
    MainDialogController& controller = boundDialog->controller;
    controller.CloseLogMenu(TrackMenu(dialog, at, controller.OpenLogMenu(Menu::LogContext)));
    return true;
}

void OnInitDialog(HWND dialog) {
    boundDialog->controls.Attach(dialog);
    boundDialog->controller.OnInitDialog(boundDialog->controls);
    AppendEntries(GetSystemMenu(dialog, FALSE), boundDialog->controller.SystemMenu());
    AddLogKeys(GetDlgItem(dialog, IDC_LOG));
}

}  // namespace

void BindMainDialog(MainDialogBinding* binding) { boundDialog = binding; }

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (boundDialog == nullptr) {
        return FALSE;
    }
    if (message == Win32TaskbarButton::CreatedMessage()) {
        boundDialog->controls.ConnectTaskbar();
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        // The log's notifications carry their code in the high word; only its double-click
        // means anything, and it is no command.
        if (LOWORD(wParam) == IDC_LOG && HIWORD(wParam) == LBN_DBLCLK) {
            boundDialog->controller.OnLogDoubleClick();
            return TRUE;
        }
        boundDialog->controller.OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_SYSCOMMAND:
        return OnSystemCommand(dialog, wParam) ? TRUE : FALSE;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) != 0) {  // the system menu
            UpdateEntries(reinterpret_cast<HMENU>(wParam), boundDialog->controller.SystemMenu());
        }
        return FALSE;
    case WM_CONTEXTMENU:
        return OnContextMenu(dialog, wParam, lParam) ? TRUE : FALSE;
    case WM_TIMER:
        boundDialog->controller.OnTimer();
        return TRUE;
    case WM_DESTROY:
        boundDialog->controller.OnDestroy();
        return TRUE;
    case kJobMessage:
        boundDialog->jobs.RunPosted();
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace zr640::platform
