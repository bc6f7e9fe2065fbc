// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>

#include "platform/dialog_controls.h"
#include "platform/job_runner.h"
#include "platform/log_sink.h"
#include "platform/message_box.h"
#include "platform/progress_sink.h"

namespace zr640 {

// What a job reports on its way to the dialog's thread: each report is posted through the
// job runner and carried out there, in the order the job made them.

class PostedLog final : public platform::LogSink {
public:
    PostedLog(platform::JobRunner& jobs, platform::LogSink& target)
        : jobs_(jobs), target_(target) {}
    void Append(const char* text) override;

private:
    platform::JobRunner& jobs_;
    platform::LogSink& target_;
};

class PostedProgress final : public platform::ProgressSink {
public:
    PostedProgress(platform::JobRunner& jobs, platform::ProgressSink& target)
        : jobs_(jobs), target_(target) {}
    void Report(const platform::ProgressReport& report) override;

private:
    platform::JobRunner& jobs_;
    platform::ProgressSink& target_;
};

// The RX and TX lamps are posted only when they change: the port lights RX for every byte
// it takes, and each post may cost the dialog's thread a wake-up.
class PostedIndicators final : public platform::IndicatorLights {
public:
    explicit PostedIndicators(platform::JobRunner& jobs) : jobs_(jobs) {}
    void Attach(platform::IndicatorLights* target) { target_ = target; }
    // On the dialog's thread: lamp `id` has gone out (the tick clears TX), or its state is not
    // known (a new job), so the next light is posted.
    void Dimmed(int id);
    void CheckButton(int id, bool checked) override;

private:
    std::atomic<bool>* LitFlag(int id);

    platform::JobRunner& jobs_;
    platform::IndicatorLights* target_ = nullptr;
    std::atomic<bool> rxLit_{false};
    std::atomic<bool> txLit_{false};
};

// A box that the port asks for while a job runs is shown by the dialog's thread; the job
// does not wait for the user to close it.
class PostedMessageBox final : public platform::MessageBox {
public:
    explicit PostedMessageBox(platform::JobRunner& jobs) : jobs_(jobs) {}
    void Beep() override;
    void Show(const char* text, const char* caption, unsigned style) override;

private:
    platform::JobRunner& jobs_;
};

}  // namespace zr640
