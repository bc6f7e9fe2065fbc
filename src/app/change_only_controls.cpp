// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/change_only_controls.h"

#include "platform/dialog_layout.h"

namespace zr640 {

void ChangeOnlyControls::Attach(platform::DialogControls* target) {
    target_ = target;
    texts_.clear();
    checks_.clear();
}

void ChangeOnlyControls::UserWorked(int id) {
    texts_.erase(id);
    checks_.erase(id);
    if (id == IDC_RX || id == IDC_TX) {
        checks_.erase(IDC_RX);
        checks_.erase(IDC_TX);
    }
}

void ChangeOnlyControls::SetTitle(const char* text) {
    if (target_ != nullptr) target_->SetTitle(text);
}

void ChangeOnlyControls::SetItemText(int id, const char* text) {
    const auto known = texts_.find(id);
    if (target_ == nullptr || (known != texts_.end() && known->second == text)) return;
    texts_[id] = text;
    target_->SetItemText(id, text);
}

void ChangeOnlyControls::CheckButton(int id, bool checked) {
    const auto known = checks_.find(id);
    if (target_ == nullptr || (known != checks_.end() && known->second == checked)) return;
    checks_[id] = checked;
    target_->CheckButton(id, checked);
}

void ChangeOnlyControls::EnableItem(int id, bool enabled) {
    if (target_ != nullptr) target_->EnableItem(id, enabled);
}

platform::ListView* ChangeOnlyControls::List(int id) {
    return target_ != nullptr ? target_->List(id) : nullptr;
}

platform::TaskbarButton* ChangeOnlyControls::Taskbar() {
    return target_ != nullptr ? target_->Taskbar() : nullptr;
}

void ChangeOnlyControls::StartTimer(unsigned periodMs) {
    if (target_ != nullptr) target_->StartTimer(periodMs);
}

void ChangeOnlyControls::StopTimer() {
    if (target_ != nullptr) target_->StopTimer();
}

void ChangeOnlyControls::EndDialog() {
    if (target_ != nullptr) target_->EndDialog();
}

}  // namespace zr640
