// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/dialog_controls.h"
#include "platform/dialog_layout.h"
#include "platform/progress_sink.h"

namespace zr640 {

// After an upload stopped short, the taskbar button shows so for this long.
inline constexpr std::uint32_t kTaskbarErrorMs = 3000;
// The pace of fewer steps says too little about the rest.
inline constexpr int kStepsBeforeTimeLeft = 5;

// The time the rest of the steps will take at the pace since step 0 was reported at
// `startMs`; nothing before kStepsBeforeTimeLeft steps or when none are left.
std::optional<std::uint32_t> TimeLeftMs(std::uint32_t startMs,
                                        const platform::ProgressReport& report);

// The title while an operation runs: "ZR640 – Replace 137 von 1000 (noch 2:10)", without the
// count while it is not known and without the time left while there is none.
std::string ProgressTitle(const platform::ProgressReport& report,
                          std::optional<std::uint32_t> msLeft);

// Shows how far a transfer has come in the window's title and on its taskbar button, on the
// dialog's thread from what the job reported, and each only when it changes.
class ProgressDisplay final : public platform::ProgressSink {
public:
    void Attach(platform::DialogControls* dialog) { dialog_ = dialog; }
    void Report(const platform::ProgressReport& report) override;
    // However the transfer ended, the title is the dialog's own again; the taskbar button is
    // cleared, or shows the error state for a while when the transfer stopped short.
    void End(bool completed);

private:
    void ShowTitle(const std::string& title);

    platform::DialogControls* dialog_ = nullptr;
    std::string title_ = MAIN_DIALOG_CAPTION;
    std::uint32_t startMs_ = 0;  // when step 0 of the range was reported
    std::optional<std::pair<int, int>> taskbar_;  // done and total as last shown
};

}  // namespace zr640
