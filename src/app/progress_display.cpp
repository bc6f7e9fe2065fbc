// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/progress_display.h"

#include <cstdio>

#include "platform/dialog_layout.h"

namespace zr640 {
namespace {

// "2:10", or "1:02:10" from an hour on.
std::string Duration(std::uint32_t ms) {
    const std::uint32_t seconds = (ms + 500) / 1000;
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%u:%02u:%02u", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    }
    return text;
}

}  // namespace

std::optional<std::uint32_t> TimeLeftMs(std::uint32_t startMs,
                                        const platform::ProgressReport& report) {
    if (report.done < kStepsBeforeTimeLeft || report.done >= report.total) {
        return std::nullopt;
    }
    const std::uint64_t elapsedMs = report.atMs - startMs;
    const auto left = static_cast<std::uint64_t>(report.total - report.done);
    const std::uint64_t ms = elapsedMs * left / static_cast<std::uint64_t>(report.done);
    return static_cast<std::uint32_t>(ms < UINT32_MAX ? ms : UINT32_MAX);
}

std::string ProgressTitle(const platform::ProgressReport& report,
                          std::optional<std::uint32_t> msLeft) {
    std::string title = MAIN_DIALOG_CAPTION " \x96 " + report.activity;
    if (report.total > 0) {
        title.append(" ").append(std::to_string(report.done));
        title.append(" von ").append(std::to_string(report.total));
    }
    if (msLeft) {
        title.append(" (noch ").append(Duration(*msLeft)).append(")");
    }
    return title;
}

void ProgressDisplay::Report(const platform::ProgressReport& report) {
    if (report.total > 0 && report.done == 0) {
        startMs_ = report.atMs;
    }
    ShowTitle(ProgressTitle(report, TimeLeftMs(startMs_, report)));
    platform::TaskbarButton* taskbar = dialog_ != nullptr ? dialog_->Taskbar() : nullptr;
    const std::pair<int, int> shown{report.done, report.total};
    if (taskbar != nullptr && taskbar_ != shown) {
        taskbar->ShowProgress(report.done, report.total);
        taskbar_ = shown;
    }
}

void ProgressDisplay::End(bool completed) {
    ShowTitle(MAIN_DIALOG_CAPTION);
    if (platform::TaskbarButton* taskbar = dialog_ != nullptr ? dialog_->Taskbar() : nullptr) {
        if (completed) {
            taskbar->Clear();
        } else {
            taskbar->ShowError(kTaskbarErrorMs);
        }
    }
    taskbar_.reset();
}

void ProgressDisplay::ShowTitle(const std::string& title) {
    if (dialog_ != nullptr && title != title_) {
        dialog_->SetTitle(title.c_str());
        title_ = title;
    }
}

}  // namespace zr640
