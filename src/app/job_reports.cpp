// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/job_reports.h"

#include <string>

#include "platform/dialog_layout.h"
#include "platform/event_log.h"

namespace zr640 {

void PostedLog::Append(const char* text) {
    jobs_.Post([this, copy = std::string(text)] { target_.Append(copy.c_str()); });
}

void PostedProgress::Report(const platform::ProgressReport& report) {
    jobs_.Post([this, report] { target_.Report(report); });
}

std::atomic<bool>* PostedIndicators::LitFlag(int id) {
    return id == IDC_RX ? &rxLit_ : id == IDC_TX ? &txLit_ : nullptr;
}

void PostedIndicators::Dimmed(int id) {
    if (std::atomic<bool>* lit = LitFlag(id)) lit->store(false);
}

void PostedIndicators::CheckButton(int id, bool checked) {
    std::atomic<bool>* lit = LitFlag(id);
    if (lit != nullptr && lit->exchange(checked) == checked) return;
    jobs_.Post([this, id, checked] {
        if (target_ != nullptr) target_->CheckButton(id, checked);
    });
}

void PostedMessageBox::Beep() {
    jobs_.Post([] { platform::InstalledMessageBox().Beep(); });
}

void PostedMessageBox::Show(const char* text, const char* caption, unsigned style) {
    jobs_.Post([copy = std::string(text), title = std::string(caption), style] {
        ShowMessage(style, 0, title.c_str(), "%s", copy.c_str());
    });
}

}  // namespace zr640
