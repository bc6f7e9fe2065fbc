// SPDX-License-Identifier: GPL-3.0-or-later
#include "frontends/win32/win32_taskbar_button.h"

namespace zr640::platform {

Win32TaskbarButton::~Win32TaskbarButton() {
    if (list_ != nullptr) {
        list_->Release();
    }
}

UINT Win32TaskbarButton::CreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

void Win32TaskbarButton::Connect(HWND window) {
    window_ = window;
    if (list_ != nullptr) {
        return;  // the shell made the button again (Explorer restarted): the list still serves
    }
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITaskbarList3, reinterpret_cast<void**>(&list)))) {
        return;
    }
    if (FAILED(list->HrInit())) {
        list->Release();
        return;
    }
    list_ = list;
}

void Win32TaskbarButton::ShowProgress(int done, int total) {
    StopErrorTimer();
    if (list_ == nullptr) {
        return;
    }
    if (total <= 0) {
        list_->SetProgressState(window_, TBPF_INDETERMINATE);
        return;
    }
    list_->SetProgressState(window_, TBPF_NORMAL);
    list_->SetProgressValue(window_, static_cast<ULONGLONG>(done), static_cast<ULONGLONG>(total));
}

void Win32TaskbarButton::ShowError(std::uint32_t forMs) {
    if (list_ == nullptr) {
        return;
    }
    list_->SetProgressState(window_, TBPF_ERROR);
    SetTimer(window_, ErrorTimerId(), forMs, &Win32TaskbarButton::EndError);
}

void Win32TaskbarButton::Clear() {
    StopErrorTimer();
    if (list_ != nullptr) {
        list_->SetProgressState(window_, TBPF_NOPROGRESS);
    }
}

void CALLBACK Win32TaskbarButton::EndError(HWND, UINT, UINT_PTR timer, DWORD) {
    reinterpret_cast<Win32TaskbarButton*>(timer)->Clear();
}

void Win32TaskbarButton::StopErrorTimer() {
    if (window_ != nullptr) {
        KillTimer(window_, ErrorTimerId());
    }
}

}  // namespace zr640::platform
