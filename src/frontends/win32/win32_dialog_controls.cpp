// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/win32/win32_dialog_controls.h"

#include "platform/dialog_layout.h"
#include "frontends/win32/win32_text.h"

namespace zr640::platform {
namespace {

constexpr UINT_PTR kPollTimerId = 0;
constexpr INT_PTR kEndDialogResult = 1;

}  // namespace

void Win32ListView::AddString(const char* text) {
    SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

int Win32ListView::Count() const {
    return static_cast<int>(SendMessageA(list_, LB_GETCOUNT, 0, 0));
}

void Win32ListView::DeleteString(int index) {
    SendMessageA(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void Win32ListView::SetCurSel(int index) {
    SendMessageA(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32ListView::SetHorizontalExtent(int pixels) {
    SendMessageA(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0);
}

std::string Win32ListView::GetText(int index) const {
    const LRESULT length = SendMessageA(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessageA(list_, LB_GETTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
}

int Win32ListView::GetCurSel() const {
    return static_cast<int>(SendMessageA(list_, LB_GETCURSEL, 0, 0));
}

void Win32DialogControls::Attach(HWND dialog) {
    dialog_ = dialog;
    lists_.clear();
}

// In UTF-16, so that the dash of a progress title shows as one whatever the code page.
void Win32DialogControls::SetTitle(const char* text) {
    SetWindowTextW(dialog_, WideFrom1252(text).c_str());
}

void Win32DialogControls::SetItemText(int id, const char* text) {
    SetDlgItemTextA(dialog_, id, text);
}

void Win32DialogControls::CheckButton(int id, bool checked) {
    CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void Win32DialogControls::EnableItem(int id, bool enabled) {
    HWND item = GetDlgItem(dialog_, id);
    // A disabled control loses the focus to nobody, and a dialog without a focus hears no
    // Escape: the focus goes to the log instead.
    if (!enabled && item == GetFocus()) {
        SendMessageA(dialog_, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetDlgItem(dialog_, IDC_LOG)), TRUE);
    }
    EnableWindow(item, enabled ? TRUE : FALSE);
}

ListView* Win32DialogControls::List(int id) {
    HWND list = GetDlgItem(dialog_, id);
    if (list == nullptr) {
        return nullptr;
    }
    auto [entry, inserted] = lists_.try_emplace(id, list);
    return &entry->second;
}

void Win32DialogControls::StartTimer(unsigned periodMs) {
    SetTimer(dialog_, kPollTimerId, periodMs, nullptr);
}

void Win32DialogControls::StopTimer() { KillTimer(dialog_, kPollTimerId); }

void Win32DialogControls::EndDialog() { ::EndDialog(dialog_, kEndDialogResult); }

}  // namespace zr640::platform
