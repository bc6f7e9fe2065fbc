// SPDX-License-Identifier: GPL-3.0-or-later
// The core's headers come before <windows.h>, whose macros would clash with their names.
#include "app/route_chooser.h"
#include "frontends/win32/win32_route_dialog.h"
#include "platform/route_dialog_layout.h"

#include <commctrl.h>

#include <string>

namespace zr640::platform {
namespace {

// What the dialog procedure works on; the dialog keeps a pointer to it in DWLP_USER.
struct Session {
    RouteChooser& chooser;
    const std::function<bool()>& accept;
    HWND dialog = nullptr;
    // Set while the dialog itself selects in the records list, whose notifications then
    // report nothing the user did.
    bool selecting = false;
};

HWND Item(const Session& s, int id) { return GetDlgItem(s.dialog, id); }

int DialogUnitsToPixels(HWND dialog, int units) {
    RECT r{0, 0, units, 0};
    MapDialogRect(dialog, &r);
    return r.right;
}

void ShowRecords(Session& s) {
    HWND list = Item(s, IDC_ROUTE_RECORDS);
    s.selecting = true;
    SendMessageA(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(s.chooser.RowCount()), 0);
    // A list of one selection clears the row selected before as it selects the next; clearing
    // every row (item -1) would walk them all, milliseconds a keystroke in a long file.
    LVITEMA state{};
    const int row = s.chooser.SelectedRow();
    if (row >= 0) {
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&state));
        SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    } else {
        state.stateMask = LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&state));
    }
    s.selecting = false;
    InvalidateRect(list, nullptr, FALSE);
}

void ShowPoints(Session& s) {
    HWND list = Item(s, IDC_ROUTE_POINTS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < s.chooser.PointCount(); ++i) {
        const std::string text = s.chooser.PointText(i);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(s.chooser.SelectedPoint()), 0);
}

// Greys what the route does not allow now. A button that loses the focus hands it on, or
// the dialog would hear neither Enter nor Escape.
void EnableButtons(Session& s) {
    const bool allowed[] = {s.chooser.CanAdd(), s.chooser.CanRemove(), s.chooser.CanMoveUp(),
                            s.chooser.CanMoveDown()};
    for (std::size_t i = 0; i < std::size(kRouteChangingButtons); ++i) {
        HWND button = Item(s, kRouteChangingButtons[i]);
        if (!allowed[i] && button == GetFocus()) {
            SendMessageA(s.dialog, WM_NEXTDLGCTL, 0, FALSE);
        }
        EnableWindow(button, allowed[i] ? TRUE : FALSE);
    }
}

// The route, with the buttons it allows.
void ShowRoute(Session& s) {
    ShowPoints(s);
    EnableButtons(s);
}

void ChangeRoute(Session& s, void (RouteChooser::*change)()) {
    (s.chooser.*change)();
    ShowRoute(s);
}

// Over the middle of the main dialog, as a box is.
void CenterOverOwner(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    RECT outer{};
    RECT own{};
    if (owner == nullptr || !GetWindowRect(owner, &outer) || !GetWindowRect(dialog, &own)) {
        return;
    }
    const int x = outer.left + ((outer.right - outer.left) - (own.right - own.left)) / 2;
    const int y = outer.top + ((outer.bottom - outer.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(dialog, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Initialise(Session& s) {
    HWND list = Item(s, IDC_ROUTE_RECORDS);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (std::size_t i = 0; i < std::size(kRouteColumns); ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = kRouteColumns[i].rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = DialogUnitsToPixels(s.dialog, kRouteColumns[i].widthUnits);
        column.pszText = const_cast<char*>(kRouteColumns[i].heading);
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageA(Item(s, IDC_ROUTE_FILTER), EM_LIMITTEXT, kRouteFilterLimit, 0);
    SetDlgItemTextA(s.dialog, IDC_ROUTE_SKIPPED, s.chooser.SkippedText().c_str());
    ShowRecords(s);
    ShowRoute(s);
    CenterOverOwner(s.dialog);
    SetFocus(Item(s, IDC_ROUTE_FILTER));
}

void OnFilterChanged(Session& s) {
    char text[kRouteFilterLimit + 1] = {};
    GetDlgItemTextA(s.dialog, IDC_ROUTE_FILTER, text, sizeof text);
    s.chooser.SetFilter(text);
    ShowRecords(s);
    EnableButtons(s);
}

void OnCommand(Session& s, int id, int code) {
    switch (id) {
    case IDC_ROUTE_FILTER:
        if (code == EN_CHANGE) OnFilterChanged(s);
        break;
    case IDC_ROUTE_POINTS:
        if (code == LBN_SELCHANGE) {
            s.chooser.SelectPoint(static_cast<int>(
                SendMessageA(Item(s, IDC_ROUTE_POINTS), LB_GETCURSEL, 0, 0)));
            EnableButtons(s);
        }
        break;
    case IDC_ROUTE_ADD:
        ChangeRoute(s, &RouteChooser::Add);
        break;
    case IDC_ROUTE_REMOVE:
        ChangeRoute(s, &RouteChooser::Remove);
        break;
    case IDC_ROUTE_UP:
        ChangeRoute(s, &RouteChooser::MoveUp);
        break;
    case IDC_ROUTE_DOWN:
        ChangeRoute(s, &RouteChooser::MoveDown);
        break;
    case IDC_ROUTE_OK:
        if (s.accept()) EndDialog(s.dialog, IDOK);
        break;
    case IDC_ROUTE_CANCEL:
        EndDialog(s.dialog, IDCANCEL);
        break;
    default:
        break;
    }
}

// The cells of the virtual list, as they are drawn.
void FillCell(const Session& s, LVITEMA& item) {
    if ((item.mask & LVIF_TEXT) == 0 || item.iItem < 0 || item.iItem >= s.chooser.RowCount()) {
        return;
    }
    lstrcpynA(item.pszText, s.chooser.CellText(item.iItem, item.iSubItem).c_str(),
              item.cchTextMax);
}

INT_PTR OnNotify(Session& s, const NMHDR& header) {
    if (header.idFrom != IDC_ROUTE_RECORDS) {
        return FALSE;
    }
    switch (header.code) {
    case LVN_GETDISPINFOA:
        FillCell(s, reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(&header))->item);
        return TRUE;
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        const bool selectionChanged = ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0;
        if (!s.selecting && selectionChanged) {
            s.chooser.SelectRow((change.uNewState & LVIS_SELECTED) != 0 ? change.iItem : -1);
            EnableButtons(s);
        }
        return TRUE;
    }
    case NM_DBLCLK: {
        const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
        if (click.iItem >= 0) {
            s.chooser.SelectRow(click.iItem);
            ChangeRoute(s, &RouteChooser::Add);
        }
        return TRUE;
    }
    case LVN_ODFINDITEMA: {
        // Typing in the list jumps to the next name that begins so.
        const auto& find = reinterpret_cast<const NMLVFINDITEMA&>(header);
        const bool byText = (find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) != 0;
        const int row = byText && find.lvfi.psz != nullptr
                            ? s.chooser.FindRow(find.lvfi.psz, find.iStart)
                            : -1;
        SetWindowLongPtrA(s.dialog, DWLP_MSGRESULT, row);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK RouteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* session = reinterpret_cast<Session*>(lParam);
        session->dialog = dialog;
        Initialise(*session);
        return FALSE;  // the focus is set: on the filter
    }
    auto* session = reinterpret_cast<Session*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (session == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_COMMAND:
        OnCommand(*session, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        return OnNotify(*session, *reinterpret_cast<const NMHDR*>(lParam));
    default:
        return FALSE;
    }
}

}  // namespace

void Win32RouteDialog::Run(RouteChooser& chooser, const std::function<bool()>& accept) {
    Session session{chooser, accept};
    DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ROUTE), owner_.Window(), RouteDialogProc,
                    reinterpret_cast<LPARAM>(&session));
}

}  // namespace zr640::platform
