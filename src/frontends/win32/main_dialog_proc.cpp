// The core's headers come before <windows.h>, whose macros would clash with their names.
#include "app/main_dialog_controller.h"
#include <string>

#include "app/thread_job_runner.h"
#include "frontends/win32/main_dialog_proc.h"

namespace zr640::platform {
namespace {

MainDialogBinding* boundDialog = nullptr;

// The entry that a double-click on the log has just selected.
std::string SelectedEntry(HWND list) {
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    const LRESULT length = index == LB_ERR ? LB_ERR : SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

void BindMainDialog(MainDialogBinding* binding) { boundDialog = binding; }

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (boundDialog == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_INITDIALOG:
        boundDialog->controls.Attach(dialog);
        boundDialog->controller.OnInitDialog(boundDialog->controls);
        return TRUE;
    case WM_COMMAND:
        // The log's notifications carry their code in the high word; only its double-click
        // means anything, and it is no command.
        if (LOWORD(wParam) == IDC_LOG && HIWORD(wParam) == LBN_DBLCLK) {
            const std::string entry = SelectedEntry(reinterpret_cast<HWND>(lParam));
            boundDialog->controller.OnLogDoubleClick(entry.c_str());
            return TRUE;
        }
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
