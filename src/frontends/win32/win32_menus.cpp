// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/win32/win32_menus.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "frontends/win32/win32_text.h"
#include "platform/dialog_layout.h"

namespace zr640::platform {
namespace {

constexpr UINT_PTR kLogKeysSubclass = 1;
constexpr LPARAM kFromKeyboard = -1;

UINT StateOf(const MenuEntry& entry) { return entry.enabled ? MF_ENABLED : MF_GRAYED; }

bool KeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

bool LogMenuPoint(HWND list, LPARAM where, POINT& point) {
    RECT client{};
    GetClientRect(list, &client);
    if (where == kFromKeyboard) {
        const LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
        RECT entry{};
        const bool shown = selected != LB_ERR &&
                           SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(selected),
                                        reinterpret_cast<LPARAM>(&entry)) != LB_ERR &&
                           entry.bottom > client.top && entry.bottom <= client.bottom;
        point = shown ? POINT{client.left, entry.bottom} : POINT{client.left, client.top};
        return ClientToScreen(list, &point) != 0;
    }
    point = {GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    POINT inList = point;
    if (ScreenToClient(list, &inList) == 0 || PtInRect(&client, inList) == 0) {
        return false;
    }
    const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(inList.x, inList.y));
    if (HIWORD(hit) == 0) {
        SendMessageW(list, LB_SETCURSEL, LOWORD(hit), 0);
    }
    return true;
}

namespace {

LRESULT CALLBACK LogKeys(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                         DWORD_PTR) {
    const bool keyDown = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    const bool keyUp = message == WM_KEYUP || message == WM_SYSKEYUP;
    const bool menuKey = wParam == VK_APPS || (wParam == VK_F10 && KeyDown(VK_SHIFT));
    if ((keyDown || keyUp) && menuKey) {
        // Taken whole, so that the system's own handling of F10 (the system menu) stays out.
        if (keyDown) {
            SendMessageW(GetParent(list), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                         kFromKeyboard);
        }
        return 0;
    }
    if (message == WM_KEYDOWN && wParam == 'C' && KeyDown(VK_CONTROL)) {
        SendMessageW(GetParent(list), WM_COMMAND, IDM_COPY_LINE, 0);
        return 0;
    }
    if (message == WM_CHAR && wParam == 3) {  // Ctrl+C as a character: no search for it
        return 0;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

void AppendEntries(HMENU menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        if (entry.id == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING | StateOf(entry), static_cast<UINT_PTR>(entry.id),
                        WideFrom1252(entry.text).c_str());
        }
    }
}

void UpdateEntries(HMENU menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        if (entry.id != 0) {
            EnableMenuItem(menu, static_cast<UINT>(entry.id), MF_BYCOMMAND | StateOf(entry));
        }
    }
}

bool HoldsCommand(const std::vector<MenuEntry>& entries, int id) {
    return id != 0 && std::ranges::any_of(entries, [id](const MenuEntry& e) { return e.id == id; });
}

int TrackMenu(HWND owner, POINT point, const std::vector<MenuEntry>& entries) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return 0;
    }
    AppendEntries(menu, entries);
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN |
                                                 TPM_TOPALIGN, point.x, point.y, 0, owner,
                                       nullptr);
    DestroyMenu(menu);
    return static_cast<int>(chosen);
}

void AddLogKeys(HWND list) { SetWindowSubclass(list, LogKeys, kLogKeysSubclass, 0); }

}  // namespace zr640::platform
