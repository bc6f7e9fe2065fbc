#pragma once

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

class PostedIndicators final : public platform::IndicatorLights {
public:
    explicit PostedIndicators(platform::JobRunner& jobs) : jobs_(jobs) {}
    void Attach(platform::IndicatorLights* target) { target_ = target; }
    void CheckButton(int id, bool checked) override;

private:
    platform::JobRunner& jobs_;
    platform::IndicatorLights* target_ = nullptr;
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
