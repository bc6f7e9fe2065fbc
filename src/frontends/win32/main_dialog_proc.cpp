// The core's headers come before <windows.h>, whose macros would clash with their names.
#include "app/main_dialog_controller.h"
#include "app/thread_job_runner.h"
#include "frontends/win32/main_dialog_proc.h"

namespace zr640::platform {
namespace {

MainDialogBinding* boundDialog = nullptr;

}  // namespace

void BindMainDialog(MainDialogBinding* binding) { boundDialog = binding; }

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (boundDialog == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_INITDIALOG:
        boundDialog->controls.Attach(dialog);
        boundDialog->controller.OnInitDialog(boundDialog->controls);
        return TRUE;
    case WM_COMMAND:
        boundDialog->controller.OnCommand(LOWORD(wParam));
        return TRUE;
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
