// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>

#include "platform/clock.h"
#include "platform/log_sink.h"
#include "platform/progress_sink.h"

namespace zr640::platform {

// What a long device operation (a transfer) works with: where its log texts go, the clock
// its time limits run on, where it says how far it has come, and the user's wish to stop it.
// The dialog's thread cancels; the job asks before every sentence and while it waits for an
// answer.
class OperationEnvironment {
public:
    OperationEnvironment(LogSink* log, MonotonicClock& clock, ProgressSink* progress = nullptr)
        : log_(log), clock_(clock), progress_(progress) {}
    OperationEnvironment(const OperationEnvironment&) = delete;
    OperationEnvironment& operator=(const OperationEnvironment&) = delete;

    LogSink* Log() const { return log_; }
    MonotonicClock& Clock() const { return clock_; }

    // The job's thread: what the operation does, how many steps it will take, and how many it
    // has taken, each reported at once with the time on the operation's clock. A new range
    // starts at step 0.
    void SetText(const char* activity) {
        report_.activity = activity;
        SendReport();
    }
    void SetProgressRange(int total) {
        report_.total = total;
        report_.done = 0;
        SendReport();
    }
    void SetProgressPosition(int done) {
        report_.done = done;
        SendReport();
    }

    // Any thread.
    void Cancel() { cancelled_.store(true); }
    bool IsCancelled() const { return cancelled_.load(); }
    // Before the next operation starts.
    void Reset() {
        cancelled_.store(false);
        report_ = {};
    }

private:
    void SendReport() {
        report_.atMs = clock_.NowMs();
        if (progress_ != nullptr) progress_->Report(report_);
    }

    LogSink* log_;
    MonotonicClock& clock_;
    ProgressSink* progress_;
    ProgressReport report_;  // the job's alone while it runs
    std::atomic<bool> cancelled_{false};
};

}  // namespace zr640::platform
